#include "imaging/resize.h"

#include <gtest/gtest.h>

#include "imagora/imagora.h"

namespace lumaret {
namespace {

using imagora::DibHandle;

// A picture whose 24-bit pixels tell their own column and row.
DibHandle Coordinates(int width, int height) {
  DibHandle d;
  imagora::newdib(&d, width, height, 24, nullptr, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      imagora::setpixel(
          &d, x, y,
          std::uint32_t(x & 0xFF) | std::uint32_t(x >> 8) << 8 | std::uint32_t(y & 0xFF) << 16);
  return d;
}

TEST(Resize, SamplesTheNearestPixelIn10BitSteps) {
  DibHandle source = Coordinates(640, 480);
  DibHandle thumb = Resize(source, 80, 60);
  ASSERT_NE(thumb.Bits, nullptr);
  // Column 79 comes from (79 * 8192) >> 10 = 632, row 59 from 472.
  EXPECT_EQ(imagora::getpixel(&thumb, 79, 59), imagora::getpixel(&source, 632, 472));
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x)
      ASSERT_EQ(imagora::getpixel(&thumb, x, y), imagora::getpixel(&source, x * 8, y * 8));
  imagora::deldib(&thumb);

  thumb = Resize(source, 7, 3);  // uneven steps: 91.43 and 160 pixels
  for (int x = 0; x < 7; ++x)
    EXPECT_EQ(imagora::getpixel(&thumb, x, 2),
              imagora::getpixel(&source, x * (640 * 1024 / 7) >> 10, 320));
  imagora::deldib(&thumb);
  imagora::deldib(&source);
}

TEST(Resize, OrsNibblesIntoFourBitRows) {
  DibHandle source;
  imagora::newdib(&source, 2, 1, 4, nullptr, 0);
  source.Bits[0] = 0x12;
  DibHandle wide = Resize(source, 4, 1);
  ASSERT_NE(wide.Bits, nullptr);
  EXPECT_EQ(wide.Bits[0], 0x11);
  EXPECT_EQ(wide.Bits[1], 0x22);
  imagora::deldib(&wide);
  imagora::deldib(&source);
}

TEST(Resize, KeepsDepthAndColourTable) {
  for (int bits : {1, 4, 8}) {
    DibHandle source;
    imagora::BitmapInfo colours{};
    for (int i = 0; i < 256; ++i)
      colours.bmiColors[i] = {std::uint8_t(i), std::uint8_t(255 - i), 7, 0};
    imagora::newdib(&source, 9, 5, bits, &colours, 1 << bits);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x)
        imagora::setpixel(&source, x, y, std::uint32_t(x + y) % (1u << bits));
    DibHandle copy = Resize(source, 18, 10);
    ASSERT_NE(copy.Bits, nullptr);
    EXPECT_EQ(copy.Info->bmiHeader.biBitCount, bits);
    EXPECT_EQ(copy.Info->bmiColors[1].rgbGreen, 254);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 18; ++x)
        ASSERT_EQ(imagora::getpixel(&copy, x, y), imagora::getpixel(&source, x / 2, y / 2))
            << bits << " bits at " << x << "," << y;
    imagora::deldib(&copy);
    imagora::deldib(&source);
  }
}

TEST(Resize, LeavesOtherDepthsBlank) {
  for (int bits : {16, 32}) {
    DibHandle source;
    imagora::newdib(&source, 4, 4, bits, nullptr, 0);
    std::fill(source.Bits, source.Bits + source.BytesPerRow * 4, 0xFF);
    DibHandle copy = Resize(source, 2, 2);
    ASSERT_NE(copy.Bits, nullptr);
    EXPECT_EQ(copy.Info->bmiHeader.biBitCount, bits);
    EXPECT_EQ(copy.Bits[0], 0);
    imagora::deldib(&copy);
    imagora::deldib(&source);
  }
}

TEST(Resize, StaysInsideVeryWidePictures) {
  DibHandle source;
  imagora::newdib(&source, 1 << 23, 2, 8, nullptr, 0);  // W * 1024 overflows 32 bits
  ASSERT_NE(source.Bits, nullptr);
  source.Bits[(1 << 23) - 1] = 9;
  DibHandle thumb = Resize(source, 80, 1);
  ASSERT_NE(thumb.Bits, nullptr);
  EXPECT_EQ(thumb.Bits[79], source.Bits[std::uint64_t(79) * ((std::uint64_t(1) << 33) / 80) >> 10]);
  imagora::deldib(&thumb);
  imagora::deldib(&source);

  DibHandle none{};
  EXPECT_EQ(Resize(none, 80, 80).Bits, nullptr);
}

}  // namespace
}  // namespace lumaret
