#include "app/float_spin_edit.h"

namespace lumaret {

TFloatSpinEdit::TFloatSpinEdit(QWidget* parent) : QDoubleSpinBox(parent) {
  setDecimals(2);
}

QString TFloatSpinEdit::textFromValue(double value) const {
  QString text = QDoubleSpinBox::textFromValue(value);
  const QString point = locale().decimalPoint();
  if (text.contains(point)) {
    while (text.endsWith(QLatin1Char('0')))
      text.chop(1);
    if (text.endsWith(point))
      text.chop(point.size());
  }
  return text;
}

}  // namespace lumaret
