// The about window: the product, its year and a button to its web page.
#pragma once

#include <QDialog>

#include "platform/shell.h"

namespace lumaret {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(Shell& shell, QWidget* parent);

 private:
  void FormCreate();
  void BitBtnXP1Click();

  Shell& shell_;
};

}  // namespace lumaret
