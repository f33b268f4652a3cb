#pragma once

#include <cstdio>

#include "platform/messages.h"

namespace lumaret {

// Messages for batch use: errors become one line on stderr, each prefixed with
// the context (program and file), and questions take a fixed answer because
// nobody is there to answer them.
class ConsoleMessages : public Messages {
 public:
  explicit ConsoleMessages(std::string prefix, bool answer = true, std::FILE* out = stderr)
      : prefix_(std::move(prefix)), answer_(answer), out_(out) {}

  void error(const std::string& text, const std::string& title = {}) override;
  // Each line of the text on a line of its own, "warning: " before it.
  void warning(const std::string& text, const std::string& title = {}) override;
  bool confirm(const std::string& title, const std::string& text) override;

  void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }

 private:
  std::string prefix_;
  bool answer_;
  std::FILE* out_;
};

}  // namespace lumaret
