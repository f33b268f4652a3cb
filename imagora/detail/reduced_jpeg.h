#pragma once

#include "imagora/detail/decoders.h"

namespace imagora::detail {

// Decodes a JPEG at the smallest of libjpeg-turbo's DCT scales whose result
// still covers boxWidth x boxHeight (as far as the picture allows), reporting
// the full size as well.
bool DecodeJpegReduced(Bytes file, int boxWidth, int boxHeight, DibHandle* out,
                       ProgressReporter& progress, int* fullWidth, int* fullHeight);

// The same at 1/8 scale from the DC coefficients alone, without libjpeg; false
// when the file is not one it handles (the caller then uses the above).
bool DecodeJpegDc(Bytes file, int boxWidth, int boxHeight, DibHandle* out,
                  ProgressReporter& progress, int* fullWidth, int* fullHeight);

// The same from the thumbnail stored in the photo's Exif data, when it has the
// photo's shape and covers the box; false otherwise.
bool DecodeExifThumbnail(Bytes file, int boxWidth, int boxHeight, DibHandle* out,
                         int* fullWidth, int* fullHeight);

}  // namespace imagora::detail
