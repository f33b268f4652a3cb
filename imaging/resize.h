// Nearest-pixel scaling in 10-bit fixed point, and the size of thumbnails.
#pragma once

#include "imagora/dib.h"

namespace lumaret {

inline constexpr int kThumbnailBox = 80;  // pixels, both ways

struct PictureSize {
  int width;
  int height;
  bool operator==(const PictureSize&) const = default;
};

// The thumbnail size of a width x height picture: it fits the box, touching
// it on at least one side (small pictures are enlarged), and no side is
// ever below one pixel.
PictureSize ThumbnailSize(int width, int height);

// A newWidth x newHeight copy of source at the same depth (colour table
// included), sampling the nearest pixel. Pictures of other depths than 1, 4,
// 8 and 24 come out blank. The caller releases the result with deldib; it has
// no pixels when it could not be made.
imagora::DibHandle Resize(const imagora::DibHandle& source, int newWidth, int newHeight);

// Copies source pixel (sx, sy) to target pixel (x, y), both of the source's
// depth, rows in memory order. A 4-bit target byte must start zeroed: the
// nibble is ORed in. Depths other than 1, 4, 8 and 24 copy nothing.
void CopyDibPixel(const imagora::DibHandle& source, int sx, int sy, imagora::DibHandle& target,
                  int x, int y);

}  // namespace lumaret
