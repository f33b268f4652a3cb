// Where a picture goes on a printed page, and the page's shape in the print
// preview. The preview and the printout use the same rule, so what the user
// sees in the preview is what the printer gets, only smaller.
#pragma once

namespace lumaret {

struct PrintOptions {
  bool useWholePage = true;  // false: the two percentages give the size
  bool keepAspect = true;    // with the whole page: fit, don't stretch
  bool centered = true;
  int widthPercent = 50;
  int heightPercent = 50;
};

struct PrintPlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const PrintPlacement&, const PrintPlacement&) = default;
};

// The picture (pictureWidth x pictureHeight) on a page of pageWidth x
// pageHeight, origin at the page's top left.
PrintPlacement PrintLayout(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight,
                           const PrintOptions& options);

// The page drawn in a preview box of boxWidth x boxHeight: as large as fits,
// keeping the shape of the printer's page, centred.
PrintPlacement PreviewPage(int boxWidth, int boxHeight, int pageWidth, int pageHeight);

// The height percentage that keeps the printed picture in its proportions for
// a given width percentage, truncated; and the mirror. Not limited to 1..100:
// the edit that shows it does that.
int CoupledHeightPercent(int pictureWidth, int pictureHeight, int widthPercent, int pageWidth,
                         int pageHeight);
int CoupledWidthPercent(int pictureWidth, int pictureHeight, int heightPercent, int pageWidth,
                        int pageHeight);

}  // namespace lumaret
