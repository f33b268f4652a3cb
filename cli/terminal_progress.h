// The progress bar of export and preview: picture n of N, the share done, the
// time taken and the time still to go, redrawn in place on one terminal line.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/messages.h"
#include "platform/progress.h"

namespace lumaret::cli {

// The bar's text for picture (1 to count) at percent of it, after elapsed, in
// at most columns - 1 characters: a terminal wraps a line that fills its last
// column, and a wrapped line can no longer be redrawn in place.
std::string ProgressLine(int picture, int count, int percent, std::chrono::milliseconds elapsed,
                         int columns);

struct Terminal {
  int columns = 80;
  bool escapes = true;  // takes ESC[K to clear the rest of the line
};

// The terminal on fd: its width as the kernel knows it, else $COLUMNS, else
// 80; escape codes unless $TERM is unset, empty or "dumb".
Terminal TerminalOn(int fd);

class TerminalProgress : public ProgressSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using Probe = std::function<Terminal()>;

  // Draws on out only when shown (stderr being a terminal, and not --quiet).
  // The terminal is asked again at each drawing, so that a resized window gets
  // a bar of its new width; by default it is the one on out.
  TerminalProgress(int count, std::FILE* out, bool shown,
                   Clock clock = std::chrono::steady_clock::now, Probe terminal = {});
  ~TerminalProgress() override { clear(); }

  // Each picture reports a run from 0 to 100; a picture whose first decoder
  // gives up starts again from 0, so only a call after 100 begins the next one.
  void progress(int percent) override;

  // For work counted in many small steps, such as a film's frames: done of
  // the count are finished. Drawn no faster than the eye follows.
  void itemsDone(int done);

  // Takes the bar off its line until the next call to progress.
  void clear();

 private:
  void draw(std::chrono::steady_clock::time_point now);
  // Writes text over the bar's line, from its first column.
  void overwrite(const std::string& text);

  const int count_;
  std::FILE* const out_;
  const bool shown_;
  const Clock clock_;
  const Probe terminal_;
  const std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point drawn_{};
  int picture_ = 0;
  int percent_ = 100;
  bool onScreen_ = false;
  std::size_t drawnLength_ = 0;  // what a terminal without ESC[K must cover
};

// Messages that take the bar off its line first, so that a message always
// starts a line of its own.
class MessagesUnderBar : public Messages {
 public:
  MessagesUnderBar(Messages& messages, TerminalProgress& bar) : messages_(messages), bar_(bar) {}

  void error(const std::string& text, const std::string& title = {}) override;
  void warning(const std::string& text, const std::string& title = {}) override;
  bool confirm(const std::string& title, const std::string& text) override;
  bool confirmNotice(const std::string& title, const std::string& text) override;

 private:
  Messages& messages_;
  TerminalProgress& bar_;
};

}  // namespace lumaret::cli
