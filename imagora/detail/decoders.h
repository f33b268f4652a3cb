// The decoders behind OpenDib. Each takes the whole file in memory, tells
// whether the bytes are its format, and decodes them into a DIB of 1, 4, 8 or
// 24 bits (indexed pictures keep depth and palette, everything else becomes
// 24-bit with alpha composited over white). A decoder returns false and leaves
// out untouched on any damage, and never allocates for more than kMaxPixels.
#pragma once

#include "imagora/detail/byte_reader.h"
#include "imagora/detail/progress_reporter.h"
#include "imagora/dib.h"

namespace imagora::detail {

bool IsBmp(Bytes file);  // BMP with file header, or a bare DIB header; also RLE
bool DecodeBmp(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsPcx(Bytes file);
bool DecodePcx(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsTga(Bytes file);  // no magic: judged by a plausible header
bool DecodeTga(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsIff(Bytes file);  // FORM ILBM or FORM PBM
bool DecodeIff(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsJpeg(Bytes file);
bool DecodeJpeg(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsPng(Bytes file);
bool DecodePng(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsGif(Bytes file);
bool DecodeGif(Bytes file, DibHandle* out, ProgressReporter& progress);

bool IsTiff(Bytes file);
bool DecodeTiff(Bytes file, DibHandle* out, ProgressReporter& progress);

}  // namespace imagora::detail
