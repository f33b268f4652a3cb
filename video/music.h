// The music under a film: any sound FFmpeg reads, decoded and resampled to
// the film's rate in stereo, played over and over for as long as it is asked.
#pragma once

#include <memory>
#include <string>

#include "video/ffmpeg.h"

namespace lumaret {

class MusicTrack {
 public:
  // Opens fileName and decodes its first sound, to be delivered at rate Hz
  // in stereo as format; null with why set when the file cannot be played.
  static std::unique_ptr<MusicTrack> open(const std::string& fileName, int rate,
                                          AVSampleFormat format, std::string& why);
  ~MusicTrack();

  // Fills the first count samples of frame (buffers already allocated), going
  // on from where the last call ended and starting the music over at its
  // end. False when the sound can no longer be decoded at all.
  bool read(AVFrame* frame, int count);

 private:
  struct Start;
  MusicTrack() = default;
  // Decodes some more sound into the fifo, starting over at the end; false
  // when a whole pass through the file gave no sound.
  bool decodeMore();
  bool receiveAll();
  bool resample(const AVFrame* decoded);

  std::string fileName_;
  ffmpeg::Input input_;
  ffmpeg::Codec decoder_;
  ffmpeg::Resampler resampler_;
  ffmpeg::Fifo fifo_;
  ffmpeg::Packet packet_;
  ffmpeg::Frame decoded_;
  int stream_ = -1;
  int rate_ = 0;
  AVSampleFormat format_ = AV_SAMPLE_FMT_NONE;
  int inFormat_ = -1, inRate_ = 0, inChannels_ = 0;  // what the resampler was made for
  bool soundThisPass_ = false;
};

}  // namespace lumaret
