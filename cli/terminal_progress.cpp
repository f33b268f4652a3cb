#include "cli/terminal_progress.h"

#include <algorithm>

namespace lumaret::cli {

namespace {

constexpr int kBarWidth = 20;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string MinutesAndSeconds(std::chrono::milliseconds time) {
  const long long seconds = time.count() / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

std::string ProgressLine(int picture, int count, int percent, std::chrono::milliseconds elapsed) {
  // The share of the whole show, in ten-thousandths so that the bar, the
  // percentage and the estimate agree.
  const long long done = ((picture - 1) * 100LL + percent) * 100 / count;
  std::string bar(kBarWidth, '.');
  std::fill_n(bar.begin(), done * kBarWidth / 10000, '#');
  const std::string left =
      done > 0 ? MinutesAndSeconds(elapsed * (10000 - done) / done) : std::string("-:--");
  const int digits = int(std::to_string(count).size());
  char text[128];
  std::snprintf(text, sizeof text, "[%s]  %*d/%d  %3lld%%  %s elapsed  %s left", bar.c_str(),
                digits, picture, count, done / 100, MinutesAndSeconds(elapsed).c_str(),
                left.c_str());
  return text;
}

TerminalProgress::TerminalProgress(int count, std::FILE* out, bool shown, Clock clock)
    : count_(count), out_(out), shown_(shown), clock_(std::move(clock)), start_(clock_()) {}

void TerminalProgress::progress(int percent) {
  const bool next = percent_ == 100;
  if (next)
    picture_ = std::min(picture_ + 1, count_);
  percent_ = std::clamp(percent, 0, 100);
  if (!shown_ || count_ <= 0)
    return;
  const auto now = clock_();
  // A new picture and the very end are always drawn; in between the bar
  // changes no faster than the eye follows.
  const bool end = picture_ == count_ && percent_ == 100;
  if (!next && !end && now - drawn_ < kRedrawEvery)
    return;
  drawn_ = now;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  std::fprintf(out_, "\r%s\033[K", ProgressLine(picture_, count_, percent_, elapsed).c_str());
  std::fflush(out_);
  onScreen_ = true;
}

void TerminalProgress::clear() {
  if (!onScreen_)
    return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  onScreen_ = false;
}

void MessagesUnderBar::error(const std::string& text, const std::string& title) {
  bar_.clear();
  messages_.error(text, title);
}

void MessagesUnderBar::warning(const std::string& text, const std::string& title) {
  bar_.clear();
  messages_.warning(text, title);
}

bool MessagesUnderBar::confirm(const std::string& title, const std::string& text) {
  bar_.clear();
  return messages_.confirm(title, text);
}

bool MessagesUnderBar::confirmNotice(const std::string& title, const std::string& text) {
  bar_.clear();
  return messages_.confirmNotice(title, text);
}

}  // namespace lumaret::cli
