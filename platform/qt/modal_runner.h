// Runs a window modally. The windows open their dialogs (the about window, the
// print window) through this, so tests can look at them without blocking.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace lumaret {

class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  // The dialog's result code, as QDialog::exec gives it.
  virtual int run(QDialog& dialog) = 0;
};

class ExecModalRunner : public ModalRunner {
 public:
  int run(QDialog& dialog) override { return dialog.exec(); }
};

// For tests: lets an inspector look at the dialog while it would be shown,
// then answers from a queue (then with Rejected).
class RecordingModalRunner : public ModalRunner {
 public:
  int run(QDialog& dialog) override;

  std::vector<QString> shown;  // object names of the dialogs, in order
  std::deque<int> answers;
  std::function<void(QDialog&)> inspect;
};

}  // namespace lumaret
