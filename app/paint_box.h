// A surface that its owner paints and that reports the mouse to its owner.
#pragma once

#include <QWidget>
#include <functional>

namespace lumaret {

class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent = nullptr) : QWidget(parent) {}

  std::function<void(QPainter&, const QRect&)> onPaint;
  std::function<void(QPoint)> onMouseDown;
  std::function<void()> onDoubleClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace lumaret
