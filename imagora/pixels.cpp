#include "imagora/imagora.h"

namespace imagora {

namespace {

bool Inside(const DibHandle* p, int x, int y) {
  return p && p->Bits && x >= 0 && y >= 0 && x < p->Info->bmiHeader.biWidth &&
         y < p->Info->bmiHeader.biHeight;
}

}  // namespace

std::uint32_t getpixel(const DibHandle* picture, int x, int y) {
  if (!Inside(picture, x, y))
    return 0;
  const std::uint8_t* row = picture->Bits + std::int64_t(y) * picture->BytesPerRow;
  switch (picture->Info->bmiHeader.biBitCount) {
    case 24: {
      const std::uint8_t* p = row + 3 * std::int64_t(x);
      return std::uint32_t(p[2]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]) << 16;
    }
    case 8:
      return row[x];
    case 4:
      return (x & 1) ? row[x / 2] & 0xFu : row[x / 2] >> 4u;
    case 1:
      return row[x / 8] >> (7 - x % 8) & 1u;
    default:
      return 0;
  }
}

void setpixel(DibHandle* picture, int x, int y, std::uint32_t value) {
  if (!Inside(picture, x, y))
    return;
  std::uint8_t* row = picture->Bits + std::int64_t(y) * picture->BytesPerRow;
  switch (picture->Info->bmiHeader.biBitCount) {
    case 24: {
      std::uint8_t* p = row + 3 * std::int64_t(x);
      p[0] = std::uint8_t(value >> 16);
      p[1] = std::uint8_t(value >> 8);
      p[2] = std::uint8_t(value);
      break;
    }
    case 8:
      row[x] = std::uint8_t(value);
      break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x / 2] = std::uint8_t((row[x / 2] & ~(0xF << shift)) | (value & 0xF) << shift);
      break;
    }
    case 1: {
      const int shift = 7 - x % 8;
      row[x / 8] = std::uint8_t((row[x / 8] & ~(1 << shift)) | (value & 1) << shift);
      break;
    }
    default:
      break;
  }
}

}  // namespace imagora
