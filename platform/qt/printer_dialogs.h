// The printer's set-up dialog. Windows ask through this so tests can answer
// for the user, and change the printer as a user would.
#pragma once

#include <functional>
#include <memory>

class QDialog;
class QPrinter;
class QWidget;

namespace lumaret {

class PrinterDialogs {
 public:
  virtual ~PrinterDialogs() = default;
  // Lets the user choose the printer, the paper and its orientation; true
  // when the choice was confirmed.
  virtual bool setup(QPrinter& printer, QWidget* parent) = 0;
};

// The set-up dialog as QtPrinterDialogs runs it.
std::unique_ptr<QDialog> NewPrinterSetupDialog(QPrinter& printer, QWidget* parent);

class QtPrinterDialogs : public PrinterDialogs {
 public:
  bool setup(QPrinter& printer, QWidget* parent) override;
};

// For tests: counts the dialogs and answers through answer (cancel when unset).
class RecordingPrinterDialogs : public PrinterDialogs {
 public:
  bool setup(QPrinter& printer, QWidget*) override {
    ++shown;
    return answer ? answer(printer) : false;
  }

  int shown = 0;
  std::function<bool(QPrinter&)> answer;
};

}  // namespace lumaret
