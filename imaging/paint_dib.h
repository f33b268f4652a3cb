// The one routine that draws pictures, on screens and printers alike.
#pragma once

#include <cstdint>

#include "imaging/device_context.h"
#include "imagora/dib.h"
#include "platform/messages.h"

namespace lumaret {

// Draws the source rectangle (srcX, srcY from the picture's bottom row,
// srcW x srcH) of picture into (X, Y, destW, destH) of dc. halftone lets a
// true-colour picture be halftoned on screens of 256 colours or fewer;
// useOwnPalette chooses the picture's palette over palette. A device that can
// draw none of the ways gets its message in messages.
void PaintDib(DeviceContext& dc, int X, int Y, int destW, int destH,
              const imagora::DibHandle& picture, int srcX, int srcY, int srcW, int srcH,
              bool halftone, std::uint32_t rop, bool useOwnPalette, void* palette,
              Messages& messages);

inline constexpr const char* kCannotCreateBitmap = "Can not create the bitmap!";
inline constexpr const char* kDeviceCannot = "The device do not support this function.";

}  // namespace lumaret
