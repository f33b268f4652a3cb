#include "app/grid_geometry.h"

#include <algorithm>

namespace lumaret::grid {
namespace {

// A rectangle given by its edges, right and bottom excluded.
QRect Edges(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace

int GridColumns(int surfaceWidth) {
  const int columns = surfaceWidth / kCellWidth;
  return columns <= 1 ? 1 : columns;
}

QPoint CellOrigin(std::int32_t picture, int columns) {
  const std::int64_t index = std::int64_t(picture) - 1;
  return QPoint(int(index % columns) * kCellWidth, int(index / columns) * kCellHeight);
}

int SurfaceHeight(std::uint32_t count, int columns) {
  return int(count / std::uint32_t(columns) + 1) * kCellHeight;
}

std::int32_t HitPicture(QPoint point, std::uint32_t count, int columns) {
  for (std::uint32_t n = 1; n <= count; ++n) {
    const QPoint o = CellOrigin(std::int32_t(n), columns);
    if (point.x() >= o.x() + 2 && point.x() <= o.x() + 88 && point.y() >= o.y() + 2 &&
        point.y() <= o.y() + 108)
      return std::int32_t(n);
    if (o.y() > point.y())
      break;  // later cells lie lower still
  }
  return 0;
}

CellLayout LayoutCell(QPoint origin, int w, int h) {
  const int x0 = origin.x(), y0 = origin.y();
  const int l = x0 + 5 + (80 - w) / 2;
  const int t = y0 + 5 + (80 - h) / 2;
  return {Edges(x0 + 3, y0 + 3, l, y0 + 107), Edges(x0 + 3, y0 + 3, x0 + 87, t),
          Edges(x0 + 3, t + h, x0 + 87, y0 + 107), Edges(l + w, y0 + 3, x0 + 87, y0 + 107),
          QPoint(l, t)};
}

int ScrollPositionFor(std::int32_t picture, int columns, int position, int viewHeight) {
  const QPoint o = CellOrigin(picture, columns);
  const int top = o.y() + 2, bottom = o.y() + 108;
  if (top < position)
    return top;
  if (bottom > position + viewHeight)
    return bottom - viewHeight;
  return position;
}

std::int32_t MoveSelection(Key key, std::int32_t current, std::uint32_t count, int columns) {
  const std::int64_t n = current, last = count;
  switch (key) {
    case Key::Up:
      return n - columns >= 1 ? std::int32_t(n - columns) : current;
    case Key::Down:
      return n + columns <= last ? std::int32_t(n + columns) : current;
    case Key::Left:
      return n >= 2 ? std::int32_t(n - 1) : current;
    case Key::Right:
      return n + 1 <= last ? std::int32_t(n + 1) : current;
  }
  return current;
}

std::int32_t MoveTarget(Key key, std::int32_t current, std::uint32_t count, int columns) {
  const std::int64_t n = current, last = count;
  if (n < 1 || n > last)
    return current;
  std::int64_t to = n;
  switch (key) {
    case Key::Up:
      to = n - columns;
      break;
    case Key::Down:
      to = n + columns;
      break;
    case Key::Left:
      to = n - 1;
      break;
    case Key::Right:
      to = n + 1;
      break;
  }
  return std::int32_t(std::clamp<std::int64_t>(to, 1, last));
}

std::int32_t DropTarget(QPoint point, std::uint32_t count, int columns) {
  if (count == 0)
    return 0;
  const std::int64_t column = std::clamp(point.x() / kCellWidth, 0, columns - 1);
  const std::int64_t row = std::max(point.y(), 0) / kCellHeight;
  return std::int32_t(std::min<std::int64_t>(row * columns + column + 1, count));
}

QRect DropMarker(std::int32_t from, std::int32_t target, int columns) {
  if (target < 1 || from == target)
    return {};
  const QPoint o = CellOrigin(target, columns);
  // The gap between two frames: the last pixel of one cell and the first
  // two of the next; as tall as a frame.
  const int x = from < target ? o.x() + kCellWidth : o.x();
  return QRect(x - 1, o.y() + 2, 3, kCellHeight - 3);
}

}  // namespace lumaret::grid
