// Imagora, the program's image library: decoding of every supported picture
// format, JPEG encoding, blank pictures, pixel access and halftoning. Pictures
// are device-independent bitmaps described by a DibHandle (see dib.h).
#pragma once

#include <cstdint>
#include <string>

#include "imagora/dib.h"
#include "platform/progress.h"

namespace imagora {

// Decodes the file into out, choosing the decoder by the file's content.
// On failure out has a null Bits pointer. Decoding progress goes to owner (may
// be null) as percentages. mode is -1 for thumbnails and the export, 0 for the
// viewer; both decode at full size.
void OpenDib(DibHandle* out, const char* fileName, int mode, lumaret::ProgressSink* owner);

// Like OpenDib, but may deliver the picture reduced (JPEG files are decoded at
// the smallest scale that still covers boxWidth x boxHeight); fullWidth and
// fullHeight receive the picture's size before the reduction.
void OpenDibReduced(DibHandle* out, const char* fileName, int boxWidth, int boxHeight,
                    lumaret::ProgressSink* owner, int* fullWidth, int* fullHeight);

// Pixel access; y counts rows in memory order (row 0 is the bottom row).
// getpixel gives the palette index of indexed pictures and 0x00BBGGRR of 24-bit
// ones; outside the picture it gives 0 and setpixel does nothing.
std::uint32_t getpixel(const DibHandle* picture, int x, int y);
void setpixel(DibHandle* picture, int x, int y, std::uint32_t value);

// An 8-bit copy of a 24-bit picture on a fixed colour cube, for screens of 256
// colours or fewer; the XY form also scales it to width x height.
void DIBHalftoneDIB(DibHandle* out, const DibHandle* source);
void DIBHalftoneDIBXY(DibHandle* out, const DibHandle* source, int width, int height);

// JPEG quality (1 to 100) of later saves.
void SetJPEGQual(int quality);

inline constexpr int kFormatJpeg = 7;

// Saves a 24-bit picture; format kFormatJpeg writes a baseline JPEG. Returns 1
// only when the whole file was written, else 0.
int SaveDib(const DibHandle* picture, const char* fileName, int format, int option);

// Re-encodes a JPEG file at the quality of SetJPEGQual a row at a time,
// without holding the decoded picture: the very bytes that OpenDib followed by
// SaveDib would give. False, with nothing done, for a file it does not take
// that way: not a JPEG, damaged, CMYK, or turned by an EXIF orientation.
bool RecodeJpeg(const char* fileName, std::string& jpeg, int* width, int* height,
                lumaret::ProgressSink* owner);

}  // namespace imagora
