#include "imagora/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace imagora {

void newdib(DibHandle* out, int width, int height, int bitsPerPixel,
            const BitmapInfo* paletteSource, int paletteCount) {
  std::memset(out, 0, sizeof *out);
  // Decoders deliver 1, 4, 8 and 24 bits; 16 and 32 are accepted too, so that
  // a picture of any depth can be copied.
  const bool depthOk = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                       bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
  if (!depthOk || width <= 0 || height <= 0 ||
      std::uint64_t(width) * std::uint64_t(height) > kMaxPixels)
    return;

  const std::int64_t rowBytes = DibRowBytes(width, bitsPerPixel);
  auto* info = static_cast<BitmapInfo*>(std::calloc(1, sizeof(BitmapInfo)));
  auto* bits = static_cast<std::uint8_t*>(std::calloc(std::size_t(rowBytes), std::size_t(height)));
  if (!info || !bits) {
    std::free(info);
    std::free(bits);
    return;
  }

  BitmapInfoHeader& h = info->bmiHeader;
  h.biSize = sizeof(BitmapInfoHeader);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = std::uint16_t(bitsPerPixel);
  h.biSizeImage = std::uint32_t(rowBytes * height);
  if (bitsPerPixel <= 8) {
    const int colours = 1 << bitsPerPixel;
    h.biClrUsed = std::uint32_t(colours);
    if (paletteSource)
      std::copy_n(paletteSource->bmiColors, std::clamp(paletteCount, 0, colours), info->bmiColors);
  }

  out->Info = info;
  out->Bits = bits;
  out->BytesPerRow = std::int32_t(rowBytes);
}

void deldib(DibHandle* picture) {
  if (!picture)
    return;
  std::free(picture->Info);
  std::free(picture->Bits);
  std::free(picture->PaletteHandle);
  std::memset(picture, 0, sizeof *picture);
}

}  // namespace imagora
