#include "app/status_bar.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>

namespace lumaret {
namespace {

constexpr int kBarHeight = 19;
constexpr int kGap = 2;  // between panels, and the panels' distance from the top

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAutoFillBackground(true);
}

void TStatusBar::addPanel(int width, bool ownerDrawn) {
  panels_.push_back({width, ownerDrawn, {}, 0});
  update();
}

void TStatusBar::setPanelText(int panel, const QString& text) {
  QString& shown = panels_.at(std::size_t(panel)).text;
  // The grid sets the same text at every paint: a reader hears only changes.
  if (shown == text)
    return;
  shown = text;
  update(panelRect(panel));
  QAccessibleEvent event(this, QAccessible::NameChanged);
  event.setChild(panel);
  QAccessible::updateAccessibility(&event);
}

void TStatusBar::setPanelValue(int panel, int value) {
  value = std::clamp(value, 0, 100);
  int& shown = panels_.at(std::size_t(panel)).value;
  if (shown == value)
    return;
  shown = value;
  QAccessibleValueChangeEvent event(this, value);
  event.setChild(panel);
  QAccessible::updateAccessibility(&event);
}

QRect TStatusBar::panelRect(int panel) const {
  // A panel ends where the widths so far add up to, and starts one gap after
  // the end of the one before it.
  int edge = 0;
  for (int i = 0; i < panel; ++i)
    edge += panels_[std::size_t(i)].width;
  const int right = edge + panels_.at(std::size_t(panel)).width;
  return QRect(QPoint(edge + kGap, kGap), QPoint(right - 1, height() - 2));
}

QSize TStatusBar::sizeHint() const {
  return {200, std::max(kBarHeight, fontMetrics().height() + 5)};
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  for (int i = 0; i < int(panels_.size()); ++i) {
    const QRect inner = panelRect(i);
    // A thin sunken frame just outside the panel's rectangle.
    const QRect frame = inner.adjusted(-1, -1, 1, 1);
    painter.setPen(pal.dark().color());
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(pal.light().color());
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
    const Panel& panel = panels_[std::size_t(i)];
    if (panel.ownerDrawn) {
      if (drawPanel_) {
        painter.save();
        painter.setClipRect(inner);
        drawPanel_(painter, i, inner);
        painter.restore();
      }
    } else {
      painter.setPen(pal.windowText().color());
      painter.drawText(inner.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, panel.text);
    }
  }
}

}  // namespace lumaret
