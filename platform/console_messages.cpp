#include "platform/console_messages.h"

namespace lumaret {

namespace {

// A message may span lines; a console line must not.
std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (char c : text)
    line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

}  // namespace

void ConsoleMessages::error(const std::string& text, const std::string& /*title*/) {
  std::fprintf(out_, "%s%s\n", prefix_.c_str(), OneLine(text).c_str());
  std::fflush(out_);
}

void ConsoleMessages::warning(const std::string& text, const std::string& /*title*/) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos)
      end = text.size();
    if (end > start)
      std::fprintf(out_, "%swarning: %s\n", prefix_.c_str(),
                   text.substr(start, end - start).c_str());
    start = end + 1;
  }
  std::fflush(out_);
}

bool ConsoleMessages::confirm(const std::string& title, const std::string& text) {
  std::fprintf(out_, "%s%s: %s [%s]\n", prefix_.c_str(), title.c_str(), OneLine(text).c_str(),
               answer_ ? "OK" : "Cancel");
  std::fflush(out_);
  return answer_;
}

}  // namespace lumaret
