// FFmpeg's C headers and owners for its objects, so that every way out of a
// function frees what it made.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace lumaret::ffmpeg {

struct FreeCodec {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FreeFrame {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct FreePacket {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CloseInput {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct FreeResampler {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FreeFifo {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct FreeScaler {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using Codec = std::unique_ptr<AVCodecContext, FreeCodec>;
using Frame = std::unique_ptr<AVFrame, FreeFrame>;
using Packet = std::unique_ptr<AVPacket, FreePacket>;
using Input = std::unique_ptr<AVFormatContext, CloseInput>;
using Resampler = std::unique_ptr<SwrContext, FreeResampler>;
using Fifo = std::unique_ptr<AVAudioFifo, FreeFifo>;
using Scaler = std::unique_ptr<SwsContext, FreeScaler>;

// No chatter of FFmpeg's on stderr (a process-wide setting of its own):
// failures are reported in our words, once.
inline void Quiet() {
  av_log_set_level(AV_LOG_QUIET);
}

// FFmpeg's words for an error code.
inline std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace lumaret::ffmpeg
