// Where the thumbnail grid puts its cells, and what the mouse and the arrow
// keys choose in it. Pictures are numbered from 1, as CurrentPicture is.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>

namespace lumaret::grid {

inline constexpr int kCellWidth = 90;
inline constexpr int kCellHeight = 110;

// Columns that fit the surface; at least one.
int GridColumns(int surfaceWidth);

QPoint CellOrigin(std::int32_t picture, int columns);

// Always one row more than the full rows, so a full last row is followed by an
// empty one.
int SurfaceHeight(std::uint32_t count, int columns);

// The picture whose frame holds the point, both edges included; 0 for none.
std::int32_t HitPicture(QPoint point, std::uint32_t count, int columns);

// The four fills around a w x h picture centred in the cell at origin, in the
// order they are painted, and where the picture itself goes.
struct CellLayout {
  QRect left, top, bottom, right;
  QPoint picture;
};
CellLayout LayoutCell(QPoint origin, int w, int h);

// The scroll position that brings the picture's frame into view.
int ScrollPositionFor(std::int32_t picture, int columns, int position, int viewHeight);

enum class Key { Up, Down, Left, Right };

// CurrentPicture after the key; unchanged when it cannot move that way.
std::int32_t MoveSelection(Key key, std::int32_t current, std::uint32_t count, int columns);

// Where Ctrl with an arrow key moves the current picture: one place or one
// row, stopping at the first and the last place; current itself when it
// names no picture.
std::int32_t MoveTarget(Key key, std::int32_t current, std::uint32_t count, int columns);

// The place a dragged cell dropped at the point takes: the cell under it,
// the nearest place in its row past the last column, the last place past the
// last cell; 0 in an empty list.
std::int32_t DropTarget(QPoint point, std::uint32_t count, int columns);

// The bar in the gap where a dragged cell lands: before the target when it
// moves to an earlier place, after it when it moves to a later one; empty
// when it stays where it is.
QRect DropMarker(std::int32_t from, std::int32_t target, int columns);

}  // namespace lumaret::grid
