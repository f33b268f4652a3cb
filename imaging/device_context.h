// What PaintDib needs from a screen or a printer, as a handful of bitmap
// operations (stretch, send rows, make a device bitmap) and the device's
// capabilities, so that a QPainter can stand behind them and a recording
// device can play every kind of device in the tests.
#pragma once

#include <cstdint>
#include <memory>

#include "imagora/dib.h"

namespace lumaret {

inline constexpr int DT_RASDISPLAY = 1;
inline constexpr int DT_RASPRINTER = 2;
inline constexpr int RC_DIBTODEV = 0x0200;
inline constexpr int COLORONCOLOR = 3;
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr int GDI_ERROR = -1;  // 0xFFFFFFFF

// A bitmap in the device's own format, with the memory device context that
// holds it while it is drawn from.
class DeviceBitmap {
 public:
  virtual ~DeviceBitmap() = default;
};

class DeviceContext {
 public:
  virtual ~DeviceContext() = default;

  virtual int Technology() const = 0;  // DT_RASDISPLAY or DT_RASPRINTER
  virtual int RasterCaps() const = 0;
  // The colour depth of the screen the program runs on.
  virtual int ScreenBitsPerPixel() const = 0;
  virtual void SetStretchBltMode(int mode) = 0;

  // Palettes: returns the palette selected before; RealizePalette maps it.
  virtual void* SelectPalette(void* palette) = 0;
  virtual void RealizePalette() = 0;

  // Source rectangles of DIBs count their rows from the bottom, as in GDI.
  // Returns the number of lines drawn, or GDI_ERROR.
  virtual int StretchDIBits(int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                            int srcHeight, const void* bits, const imagora::BitmapInfo& info,
                            std::uint32_t rop) = 0;
  // Returns the number of lines drawn, 0 on failure.
  virtual int SetDIBitsToDevice(int x, int y, int width, int height, int srcX, int srcY,
                                int startScan, int lines, const void* bits,
                                const imagora::BitmapInfo& info) = 0;

  // Null when the bitmap cannot be made.
  virtual std::unique_ptr<DeviceBitmap> CreateCompatibleBitmap(int width, int height) = 0;
  // Returns the number of lines copied, 0 on failure.
  virtual int SetDIBits(DeviceBitmap& bitmap, int startScan, int lines, const void* bits,
                        const imagora::BitmapInfo& info) = 0;
  // The device bitmap's rows count from the top. Returns 0 on failure.
  virtual int StretchBlt(int x, int y, int width, int height, DeviceBitmap& bitmap, int srcX,
                         int srcY, int srcWidth, int srcHeight, std::uint32_t rop) = 0;
};

}  // namespace lumaret
