#include "imaging/print_layout.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace lumaret {
namespace {

// Halves go to the even neighbour, as the default rounding mode does.
int RoundHalfEven(double value) {
  return int(std::nearbyint(value));
}

int ToInt(double value) {
  if (!(value > std::numeric_limits<int>::min()))  // NaN too
    return std::numeric_limits<int>::min();
  if (value >= std::numeric_limits<int>::max())
    return std::numeric_limits<int>::max();
  return int(value);  // truncates
}

}  // namespace

PrintPlacement PrintLayout(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight,
                           const PrintOptions& options) {
  PrintPlacement p;
  if (options.useWholePage) {
    p.width = pageWidth;
    p.height = pageHeight;
    // An empty picture has no proportions to keep: it is stretched.
    if (options.keepAspect && pictureWidth > 0 && pictureHeight > 0) {
      const std::int64_t c = std::int64_t{pageWidth} * pictureHeight / pictureWidth;
      if (c > pageHeight) {
        p.width = int(std::int64_t{pageHeight} * pictureWidth / pictureHeight);
        p.height = pageHeight;
      } else {
        p.height = int(c);
      }
    }
  } else {
    p.width = RoundHalfEven(double(std::int64_t{pageWidth} * options.widthPercent) / 100);
    p.height = RoundHalfEven(double(std::int64_t{pageHeight} * options.heightPercent) / 100);
  }
  if (options.centered) {
    p.x = (pageWidth - p.width) / 2;
    p.y = (pageHeight - p.height) / 2;
  }
  return p;
}

PrintPlacement PreviewPage(int boxWidth, int boxHeight, int pageWidth, int pageHeight) {
  PrintPlacement p;
  if (pageWidth <= 0 || pageHeight <= 0)
    return p;
  if (pageWidth > pageHeight) {
    p.width = boxWidth;
    p.height = int(std::int64_t{boxWidth} * pageHeight / pageWidth);
  } else {
    p.height = boxHeight;
    p.width = int(std::int64_t{boxHeight} * pageWidth / pageHeight);
  }
  p.x = (boxWidth - p.width) / 2;
  p.y = (boxHeight - p.height) / 2;
  return p;
}

int CoupledHeightPercent(int pictureWidth, int pictureHeight, int widthPercent, int pageWidth,
                         int pageHeight) {
  const double product = double(std::int64_t{pictureHeight} * widthPercent);
  return ToInt(product / pictureWidth * pageWidth / pageHeight);
}

int CoupledWidthPercent(int pictureWidth, int pictureHeight, int heightPercent, int pageWidth,
                        int pageHeight) {
  const double product = double(std::int64_t{pictureWidth} * heightPercent);
  return ToInt(product / pictureHeight * pageHeight / pageWidth);
}

}  // namespace lumaret
