#include "platform/qt/printer_dialogs.h"

#include <QPrintDialog>
#include <QPrinter>

namespace lumaret {

bool QtPrinterDialogs::setup(QPrinter& printer, QWidget* parent) {
  // Only the choice of printer and its properties: copies and page ranges
  // belong to no set-up.
  QPrintDialog dialog(&printer, parent);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile);
  dialog.setWindowTitle(QStringLiteral("Printer setup"));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace lumaret
