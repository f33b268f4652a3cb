#include "imagora/detail/orientation.h"

#include <cstring>

#include "imagora/imagora.h"

namespace imagora::detail {

namespace {

struct Size {
  int width, height;
};

// The stored pixel (top-down coordinates) shown at (x, y) of the upright
// picture.
inline void SourceOf(int orientation, Size stored, int x, int y, int& sx, int& sy) {
  const int W = stored.width, H = stored.height;
  switch (orientation) {
    case 2:
      sx = W - 1 - x, sy = y;
      break;
    case 3:
      sx = W - 1 - x, sy = H - 1 - y;
      break;
    case 4:
      sx = x, sy = H - 1 - y;
      break;
    case 5:
      sx = y, sy = x;
      break;
    case 6:
      sx = y, sy = H - 1 - x;
      break;
    case 7:
      sx = W - 1 - y, sy = H - 1 - x;
      break;
    case 8:
      sx = W - 1 - y, sy = x;
      break;
    default:
      sx = x, sy = y;
      break;
  }
}

}  // namespace

bool ApplyOrientation(DibHandle* dib, int orientation) {
  if (orientation < 2 || orientation > 8 || !dib->Bits)
    return true;
  const BitmapInfoHeader& h = dib->Info->bmiHeader;
  const Size stored{h.biWidth, h.biHeight};
  const bool swaps = orientation >= 5;
  const Size upright = swaps ? Size{stored.height, stored.width} : stored;
  const int bits = h.biBitCount;

  DibHandle turned;
  newdib(&turned, upright.width, upright.height, bits, dib->Info, bits <= 8 ? 1 << bits : 0);
  if (!turned.Bits)
    return false;
  turned.Info->bmiHeader.biClrUsed = h.biClrUsed;

  // Rows are stored bottom-up; coordinates here are top-down.
  const auto storedRow = [&](int y) {
    return dib->Bits + std::int64_t(stored.height - 1 - y) * dib->BytesPerRow;
  };
  for (int y = 0; y < upright.height; ++y) {
    std::uint8_t* out = turned.Bits + std::int64_t(upright.height - 1 - y) * turned.BytesPerRow;
    for (int x = 0; x < upright.width; ++x) {
      int sx, sy;
      SourceOf(orientation, stored, x, y, sx, sy);
      const std::uint8_t* in = storedRow(sy);
      switch (bits) {
        case 24:
          std::memcpy(out + 3 * x, in + 3 * sx, 3);
          break;
        case 8:
          out[x] = in[sx];
          break;
        default:
          setpixel(&turned, x, upright.height - 1 - y, getpixel(dib, sx, stored.height - 1 - sy));
          break;
      }
    }
  }

  turned.HasPalette = dib->HasPalette;
  turned.PalVersion = dib->PalVersion;
  turned.PalNumEntries = dib->PalNumEntries;
  std::memcpy(turned.Palette, dib->Palette, sizeof turned.Palette);
  deldib(dib);
  *dib = turned;
  return true;
}

int ExifOrientation(Bytes app1) {
  ByteReader in(app1);
  const Bytes id = in.take(6);
  if (!in.ok() || std::memcmp(id.data(), "Exif\0\0", 6) != 0)
    return 1;
  const std::size_t tiff = in.position();
  const std::uint16_t order = in.u16le();
  const bool little = order == 0x4949;
  if (!little && order != 0x4D4D)
    return 1;
  const auto u16 = [&] { return little ? in.u16le() : in.u16be(); };
  const auto u32 = [&] { return little ? in.u32le() : in.u32be(); };
  if (u16() != 42)
    return 1;
  in.seek(tiff + u32());
  const int entries = u16();
  for (int i = 0; i < entries && in.ok(); ++i) {
    const std::uint16_t tag = u16();
    const std::uint16_t type = u16();
    u32();  // count
    const std::uint16_t value = u16();
    u16();
    if (tag == 0x0112 && type == 3)  // Orientation, SHORT
      return in.ok() && value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

}  // namespace imagora::detail
