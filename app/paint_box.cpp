#include "app/paint_box.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace lumaret {

void TPaintBox::paintEvent(QPaintEvent* event) {
  if (!onPaint)
    return;
  QPainter painter(this);
  onPaint(painter, event->rect());
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button();
  if (onMouseDown)
    onMouseDown(event->position().toPoint());
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the pair already chose the cell.
  mousePressEvent(event);
  if (onDoubleClick)
    onDoubleClick();
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  if (onMouseMove)
    onMouseMove(event->position().toPoint());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  if (onMouseUp)
    onMouseUp(event->position().toPoint());
}

bool TPaintBox::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || !onToolTip)
    return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QString tip = onToolTip(help->pos());
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), tip, this);
  }
  return true;
}

}  // namespace lumaret
