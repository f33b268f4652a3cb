#include "platform/qt/printer_dialogs.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace lumaret {
namespace {

// The set-up only chooses the printer: its accept button must not promise a
// printout. The print dialog names the button anew as it is shown.
class SetupDialog : public QPrintDialog {
 public:
  using QPrintDialog::QPrintDialog;

  void setVisible(bool visible) override {
    QPrintDialog::setVisible(visible);
    if (!visible)
      return;
    for (auto* box : findChildren<QDialogButtonBox*>())
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
        ok->setText(QStringLiteral("OK"));
  }
};

}  // namespace

std::unique_ptr<QDialog> NewPrinterSetupDialog(QPrinter& printer, QWidget* parent) {
  // Only the choice of printer and its properties: copies and page ranges
  // belong to no set-up.
  auto dialog = std::make_unique<SetupDialog>(&printer, parent);
  dialog->setOptions(QAbstractPrintDialog::PrintToFile);
  dialog->setWindowTitle(QStringLiteral("Printer setup"));
  return dialog;
}

bool QtPrinterDialogs::setup(QPrinter& printer, QWidget* parent) {
  return NewPrinterSetupDialog(printer, parent)->exec() == QDialog::Accepted;
}

}  // namespace lumaret
