#include "platform/dialogs.h"

namespace lumaret {
namespace {

template <typename T>
T TakeFront(std::vector<T>& queue) {
  if (queue.empty())
    return T{};
  T answer = std::move(queue.front());
  queue.erase(queue.begin());
  return answer;
}

}  // namespace

std::vector<std::string> RecordingDialogs::openFiles(const FileDialogOptions& options) {
  shown.push_back({Kind::Open, options, 0});
  return TakeFront(openAnswers);
}

std::optional<std::string> RecordingDialogs::saveFile(const FileDialogOptions& options) {
  shown.push_back({Kind::Save, options, 0});
  return TakeFront(saveAnswers);
}

std::optional<std::uint32_t> RecordingDialogs::chooseColor(std::uint32_t initial) {
  shown.push_back({Kind::Color, {}, initial});
  return TakeFront(colorAnswers);
}

}  // namespace lumaret
