// The device PaintDib draws through on a QPainter: a widget on the screen or
// the printer's page. It draws nearest-pixel, without smoothing, and has no
// palettes.
#pragma once

#include "imaging/device_context.h"

class QImage;
class QPainter;

namespace lumaret {

class PainterDevice : public DeviceContext {
 public:
  PainterDevice(QPainter& painter, int technology = DT_RASDISPLAY);

  int Technology() const override { return technology_; }
  int RasterCaps() const override { return RC_DIBTODEV; }
  int ScreenBitsPerPixel() const override;
  void SetStretchBltMode(int) override {}
  void* SelectPalette(void*) override { return nullptr; }
  void RealizePalette() override {}
  int StretchDIBits(int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                    int srcHeight, const void* bits, const imagora::BitmapInfo& info,
                    std::uint32_t rop) override;
  int SetDIBitsToDevice(int x, int y, int width, int height, int srcX, int srcY, int startScan,
                        int lines, const void* bits, const imagora::BitmapInfo& info) override;
  std::unique_ptr<DeviceBitmap> CreateCompatibleBitmap(int width, int height) override;
  int SetDIBits(DeviceBitmap& bitmap, int startScan, int lines, const void* bits,
                const imagora::BitmapInfo& info) override;
  int StretchBlt(int x, int y, int width, int height, DeviceBitmap& bitmap, int srcX, int srcY,
                 int srcWidth, int srcHeight, std::uint32_t rop) override;

 private:
  QPainter& painter_;
  int technology_;
};

// Rows first to last of a DIB (counted from its bottom) as an image, top row
// first; a null image for depths it cannot show.
QImage DibRows(const void* bits, const imagora::BitmapInfo& info, int first, int count);

}  // namespace lumaret
