#include "cli/terminal_progress.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace lumaret::cli {

namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::size_t kMinBarWidth = 5;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string MinutesAndSeconds(std::chrono::milliseconds time) {
  const long long seconds = time.count() / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

std::string ProgressLine(int picture, int count, int percent, std::chrono::milliseconds elapsed,
                         int columns) {
  // The share of the whole show, in ten-thousandths so that the bar, the
  // percentage and the estimate agree.
  const long long done = ((picture - 1) * 100LL + percent) * 100 / count;
  const std::string left =
      done > 0 ? MinutesAndSeconds(elapsed * (10000 - done) / done) : std::string("-:--");
  const int digits = int(std::to_string(count).size());
  char counted[64];
  std::snprintf(counted, sizeof counted, "%*d/%d  %3lld%%", digits, picture, count, done / 100);
  const std::string taken = "  " + MinutesAndSeconds(elapsed) + " elapsed";
  const std::string toGo = "  " + left + " left";
  const std::size_t room = std::size_t(std::max(columns - 1, 0));
  // In a narrow terminal the bar gives way first, then the estimate, then the
  // time taken; the picture and the share stay as long as they fit at all.
  for (const std::string& times : {taken + toGo, taken, std::string()}) {
    const std::string tail = "  " + std::string(counted) + times;
    if (room < tail.size() + 2 + kMinBarWidth)
      continue;
    const std::size_t width = std::min(room - tail.size() - 2, kBarWidth);
    std::string bar(width, '.');
    std::fill_n(bar.begin(), std::size_t(done) * width / 10000, '#');
    return "[" + bar + "]" + tail;
  }
  return std::string(counted).substr(0, room);
}

Terminal TerminalOn(int fd) {
  Terminal terminal;
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    terminal.columns = size.ws_col;
  } else if (const char* given = std::getenv("COLUMNS")) {
    const std::string_view text(given);
    int columns = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), columns);
    if (error == std::errc() && end == text.data() + text.size() && columns > 0)
      terminal.columns = columns;
  }
  const char* term = std::getenv("TERM");
  terminal.escapes = term && *term && std::string_view(term) != "dumb";
  return terminal;
}

TerminalProgress::TerminalProgress(int count, std::FILE* out, bool shown, Clock clock,
                                   Probe terminal)
    : count_(count),
      out_(out),
      shown_(shown),
      clock_(std::move(clock)),
      terminal_(terminal ? std::move(terminal)
                         : Probe([out] { return TerminalOn(::fileno(out)); })),
      start_(clock_()) {}

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
  draw(now);
}

void TerminalProgress::itemsDone(int done) {
  picture_ = std::clamp(done, 0, count_);
  percent_ = 100;
  if (!shown_ || count_ <= 0 || picture_ == 0)
    return;
  const auto now = clock_();
  if (picture_ != count_ && onScreen_ && now - drawn_ < kRedrawEvery)
    return;
  draw(now);
}

void TerminalProgress::draw(std::chrono::steady_clock::time_point now) {
  drawn_ = now;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  overwrite(ProgressLine(picture_, count_, percent_, elapsed, terminal_().columns));
  onScreen_ = true;
}

void TerminalProgress::clear() {
  if (!onScreen_)
    return;
  overwrite("");
  onScreen_ = false;
}

void TerminalProgress::overwrite(const std::string& text) {
  const Terminal terminal = terminal_();
  std::string shown = "\r" + text;
  if (terminal.escapes) {
    shown += "\033[K";
  } else {
    // Spaces over the rest of the longer line before, short of the last
    // column; a cleared line leaves the cursor at its start.
    const std::size_t cover =
        std::min(drawnLength_, std::size_t(std::max(terminal.columns - 1, 0)));
    if (cover > text.size())
      shown += std::string(cover - text.size(), ' ') + (text.empty() ? "\r" : "");
  }
  std::fputs(shown.c_str(), out_);
  std::fflush(out_);
  drawnLength_ = text.size();
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
