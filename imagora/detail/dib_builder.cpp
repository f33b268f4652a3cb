#include "imagora/detail/dib_builder.h"

#include <cstring>

#include "imagora/pixel_access.h"

namespace imagora::detail {

bool DibBuilder::create(int width, int height, int bitsPerPixel) {
  deldib(&dib_);
  newdib(&dib_, width, height, bitsPerPixel, nullptr, 0);
  return dib_.Bits != nullptr;
}

void DibBuilder::setColor(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  if (index < 0 || index >= 256)
    return;
  dib_.Info->bmiColors[index] = {blue, green, red, 0};
}

void DibBuilder::setColorCount(int count) {
  if (bits() <= 8 && count > 0 && count <= (1 << bits()))
    dib_.Info->bmiHeader.biClrUsed = std::uint32_t(count);
}

void DibBuilder::putIndex(std::uint8_t* row, int x, unsigned v) {
  SetIndex(row, x, bits(), v);
}

void DibBuilder::finish(DibHandle* out) {
  if (dib_.Bits && bits() <= 8) {
    const int colours = 1 << bits();
    dib_.HasPalette = 1;
    dib_.PalVersion = 0x300;
    dib_.PalNumEntries = std::uint16_t(colours);
    for (int i = 0; i < colours; ++i) {
      const RgbQuad& q = dib_.Info->bmiColors[i];
      dib_.Palette[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
  }
  *out = dib_;
  std::memset(&dib_, 0, sizeof dib_);
}

}  // namespace imagora::detail
