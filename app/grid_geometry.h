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

}  // namespace lumaret::grid
