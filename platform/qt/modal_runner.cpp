#include "platform/qt/modal_runner.h"

namespace lumaret {

int RecordingModalRunner::run(QDialog& dialog) {
  shown.push_back(dialog.objectName());
  if (inspect)
    inspect(dialog);
  if (answers.empty())
    return QDialog::Rejected;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace lumaret
