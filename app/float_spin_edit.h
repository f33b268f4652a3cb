// A field for numbers with a fraction, with up and down buttons: the viewer's
// zoom. Whole numbers show without a decimal point.
#pragma once

#include <QDoubleSpinBox>

namespace lumaret {

class TFloatSpinEdit : public QDoubleSpinBox {
  Q_OBJECT

 public:
  explicit TFloatSpinEdit(QWidget* parent = nullptr);

  QString textFromValue(double value) const override;
};

}  // namespace lumaret
