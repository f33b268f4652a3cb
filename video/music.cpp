#include "video/music.h"

#include <sys/stat.h>

#include <cstring>

namespace lumaret {

namespace {

constexpr int kLeastSoundRate = 1000;

// Opens the file as FFmpeg input, local files only: a name that looks like an
// address, or a playlist inside the file, must not reach the network.
int OpenInput(const std::string& fileName, ffmpeg::Input& input) {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVFormatContext* opened = nullptr;
  const int result = avformat_open_input(&opened, fileName.c_str(), nullptr, &options);
  av_dict_free(&options);
  input.reset(opened);
  return result;
}

}  // namespace

struct MusicTrack::Start {
  static bool open(MusicTrack& track, const std::string& fileName, std::string& why) {
    track.decoder_.reset();
    if (const int e = OpenInput(fileName, track.input_); e < 0) {
      // The file is there (see open): anything but the system's refusal is
      // content that no demuxer took.
      why = e == AVERROR(EACCES) ? "can not be opened (" + ffmpeg::ErrorText(e) + ")"
                                 : "is no sound file that can be read";
      return false;
    }
    if (avformat_find_stream_info(track.input_.get(), nullptr) < 0) {
      why = "is no sound file that can be read";
      return false;
    }
    const AVCodec* codec = nullptr;
    track.stream_ =
        av_find_best_stream(track.input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (track.stream_ < 0 || !codec) {
      why = track.stream_ == AVERROR_DECODER_NOT_FOUND ? "has sound of a kind that can not be decoded"
                                                       : "has no sound";
      return false;
    }
    track.decoder_.reset(avcodec_alloc_context3(codec));
    if (!track.decoder_ ||
        avcodec_parameters_to_context(track.decoder_.get(),
                                      track.input_->streams[track.stream_]->codecpar) < 0 ||
        avcodec_open2(track.decoder_.get(), codec, nullptr) < 0) {
      why = "has sound of a kind that can not be decoded";
      return false;
    }
    return true;
  }
};

std::unique_ptr<MusicTrack> MusicTrack::open(const std::string& fileName, int rate,
                                             AVSampleFormat format, std::string& why) {
  ffmpeg::Quiet();
  // A pipe or a device could keep the film waiting for ever.
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) {
    why = std::string("can not be opened (") + std::strerror(errno) + ")";
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    why = "is not a regular file";
    return nullptr;
  }
  std::unique_ptr<MusicTrack> track(new MusicTrack);
  track->fileName_ = fileName;
  track->rate_ = rate;
  track->format_ = format;
  track->fifo_.reset(av_audio_fifo_alloc(format, 2, 4096));
  track->packet_.reset(av_packet_alloc());
  track->decoded_.reset(av_frame_alloc());
  if (!track->fifo_ || !track->packet_ || !track->decoded_) {
    why = "can not be opened (not enough memory)";
    return nullptr;
  }
  if (!Start::open(*track, fileName, why))
    return nullptr;
  while (av_audio_fifo_size(track->fifo_.get()) == 0)
    if (!track->decodeMore()) {
      why = "has no sound that can be decoded";
      return nullptr;
    }
  return track;
}

MusicTrack::~MusicTrack() = default;

bool MusicTrack::read(AVFrame* frame, int count) {
  while (av_audio_fifo_size(fifo_.get()) < count)
    if (!decodeMore())
      return false;
  return av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), count) == count;
}

bool MusicTrack::decodeMore() {
  for (;;) {
    if (av_read_frame(input_.get(), packet_.get()) < 0) {
      // The end (or a read error): what the decoder still holds, then the
      // music again from its start, opened afresh as every format allows.
      avcodec_send_packet(decoder_.get(), nullptr);
      if (!receiveAll() || !soundThisPass_)
        return false;
      soundThisPass_ = false;
      std::string why;
      return Start::open(*this, fileName_, why);
    }
    if (packet_->stream_index != stream_) {
      av_packet_unref(packet_.get());
      continue;
    }
    const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
    av_packet_unref(packet_.get());
    // A damaged packet is passed over, as players do.
    if (sent < 0 && sent != AVERROR(EAGAIN))
      continue;
    return receiveAll();
  }
}

bool MusicTrack::receiveAll() {
  for (;;) {
    const int got = avcodec_receive_frame(decoder_.get(), decoded_.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
      return true;
    if (got < 0)
      return true;  // passed over, as a damaged packet
    const bool ok = resample(decoded_.get());
    av_frame_unref(decoded_.get());
    if (!ok)
      return false;
  }
}

bool MusicTrack::resample(const AVFrame* in) {
  const int channels = in->ch_layout.nb_channels;
  // A rate no sound is recorded at would make the resampler's buffers huge
  // (48000 samples out for each one in at 1 Hz): such frames are passed over.
  if (in->nb_samples <= 0 || channels <= 0 || in->sample_rate < kLeastSoundRate)
    return true;
  // A stream may change its rate or channels midway; the resampler must be
  // told, or it would read buffers of the old shape.
  if (!resampler_ || in->format != inFormat_ || in->sample_rate != inRate_ ||
      channels != inChannels_) {
    AVChannelLayout layout{};
    if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
        av_channel_layout_copy(&layout, &in->ch_layout) < 0)
      av_channel_layout_default(&layout, channels);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* made = nullptr;
    const bool ok = swr_alloc_set_opts2(&made, &stereo, format_, rate_, &layout,
                                        AVSampleFormat(in->format), in->sample_rate, 0,
                                        nullptr) >= 0 &&
                    swr_init(made) >= 0;
    av_channel_layout_uninit(&layout);
    resampler_.reset(made);
    if (!ok)
      return false;
    inFormat_ = in->format;
    inRate_ = in->sample_rate;
    inChannels_ = channels;
  }
  const int room = swr_get_out_samples(resampler_.get(), in->nb_samples);
  std::uint8_t** out = nullptr;
  if (room <= 0 || av_samples_alloc_array_and_samples(&out, nullptr, 2, room, format_, 0) < 0)
    return room == 0;
  const int converted =
      swr_convert(resampler_.get(), out, room, const_cast<const std::uint8_t**>(in->extended_data),
                  in->nb_samples);
  const bool ok = converted >= 0 &&
                  av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(out), converted) ==
                      converted;
  soundThisPass_ = soundThisPass_ || converted > 0;
  av_freep(&out[0]);
  av_freep(&out);
  return ok;
}

}  // namespace lumaret
