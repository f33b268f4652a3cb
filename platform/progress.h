#pragma once

namespace lumaret {

// Receives the progress of long work, such as decoding a picture, as a
// percentage from 0 to 100. The main window paints it in its status bar.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void progress(int percent) = 0;
};

}  // namespace lumaret
