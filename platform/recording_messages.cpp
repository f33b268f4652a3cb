#include "platform/recording_messages.h"

namespace lumaret {

void RecordingMessages::error(const std::string& text, const std::string& title) {
  shown.push_back({Kind::Error, title, text});
}

bool RecordingMessages::confirm(const std::string& title, const std::string& text) {
  shown.push_back({Kind::Question, title, text});
  if (answers.empty())
    return defaultAnswer;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::string> RecordingMessages::errors() const {
  std::vector<std::string> texts;
  for (const Shown& s : shown)
    if (s.kind == Kind::Error)
      texts.push_back(s.text);
  return texts;
}

}  // namespace lumaret
