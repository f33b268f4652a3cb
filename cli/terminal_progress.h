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

// The bar's text for picture (1 to count) at percent of it, after elapsed.
std::string ProgressLine(int picture, int count, int percent, std::chrono::milliseconds elapsed);

class TerminalProgress : public ProgressSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // Draws on out only when shown (stderr being a terminal, and not --quiet).
  TerminalProgress(int count, std::FILE* out, bool shown,
                   Clock clock = std::chrono::steady_clock::now);
  ~TerminalProgress() override { clear(); }

  // Each picture reports a run from 0 to 100; a picture whose first decoder
  // gives up starts again from 0, so only a call after 100 begins the next one.
  void progress(int percent) override;

  // Takes the bar off its line until the next call to progress.
  void clear();

 private:
  const int count_;
  std::FILE* const out_;
  const bool shown_;
  const Clock clock_;
  const std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point drawn_{};
  int picture_ = 0;
  int percent_ = 100;
  bool onScreen_ = false;
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
