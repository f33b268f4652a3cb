#include "export/convert_to_24bit.h"

#include <gtest/gtest.h>

#include "imagora/imagora.h"
#include "tests/support/picture_oracle.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

using imagora::DibHandle;
namespace oracle = imagora::testing;

TEST(ConvertTo24Bit, TakesEveryIndexedColourFromThePalette) {
  for (int bits : {1, 4, 8}) {
    DibHandle d;
    imagora::newdib(&d, 11, 3, bits, nullptr, 0);
    d.HasPalette = 1;
    for (int i = 0; i < (1 << bits); ++i)
      d.Palette[i] = {std::uint8_t(255 - i), std::uint8_t(i * 3), std::uint8_t(i), 0};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 11; ++x)
        imagora::setpixel(&d, x, y, std::uint32_t(x * 5 + y) % (1u << bits));
    const DibHandle before = d;
    std::vector<std::uint32_t> indexes;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 11; ++x)
        indexes.push_back(imagora::getpixel(&before, x, y));

    ConvertTo24Bit(d);
    ASSERT_EQ(d.Info->bmiHeader.biBitCount, 24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 11; ++x) {
        const std::uint32_t i = indexes[std::size_t(y * 11 + x)];
        ASSERT_EQ(imagora::getpixel(&d, x, y), (255 - i) | (i * 3 & 0xFF) << 8 | i << 16)
            << bits << " bits at " << x << "," << y;
      }
    imagora::deldib(&d);
  }
}

TEST(ConvertTo24Bit, KeepsAWhiteFirstBlackAndWhitePictureUninverted) {
  DibHandle d;
  imagora::newdib(&d, 8, 1, 1, nullptr, 0);
  d.HasPalette = 1;
  d.Palette[0] = {255, 255, 255, 0};  // index 0 is white
  d.Palette[1] = {0, 0, 0, 0};
  d.Bits[0] = 0x0F;  // four white, then four black
  ConvertTo24Bit(d);
  EXPECT_EQ(imagora::getpixel(&d, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(imagora::getpixel(&d, 7, 0), 0u);
  imagora::deldib(&d);
}

TEST(ConvertTo24Bit, LeavesOtherPicturesAlone) {
  DibHandle d;
  imagora::newdib(&d, 2, 2, 24, nullptr, 0);
  const std::uint8_t* bits = d.Bits;
  ConvertTo24Bit(d);
  EXPECT_EQ(d.Bits, bits);
  imagora::deldib(&d);
  imagora::newdib(&d, 2, 2, 16, nullptr, 0);
  ConvertTo24Bit(d);
  EXPECT_EQ(d.Info->bmiHeader.biBitCount, 16);
  imagora::deldib(&d);
  DibHandle none{};
  ConvertTo24Bit(none);
  EXPECT_EQ(none.Bits, nullptr);
}

// Decoded indexed files, expanded, look as the tools see them.
TEST(ConvertTo24Bit, ExpandsDecodedPicturesFaithfully) {
  testing::TempDir dir;
  oracle::WritePattern(dir / "pattern.ppm", 37, 23);
  const std::string cd = "cd '" + dir.path().string() + "' && ";
  for (const char* make :
       {"pnmquant 2 pattern.ppm | pnmtopng > a.png", "pnmquant 9 pattern.ppm | pnmtopng > a.png",
        "convert pattern.ppm -blur 0x1.5 - | pnmquant 200 | pnmtopng > a.png"}) {
    ASSERT_EQ(oracle::Shell(cd + make + " && pngtopam a.png > ref.pnm"), 0) << make;
    DibHandle d;
    imagora::OpenDib(&d, (dir / "a.png").c_str(), -1, nullptr);
    ASSERT_NE(d.Bits, nullptr);
    EXPECT_NE(d.Info->bmiHeader.biBitCount, 24) << make;
    ConvertTo24Bit(d);
    EXPECT_EQ(d.Info->bmiHeader.biBitCount, 24);
    EXPECT_TRUE(oracle::SamePicture(oracle::FromDib(d), oracle::ReadPnm(dir / "ref.pnm"))) << make;
    imagora::deldib(&d);
  }
}

}  // namespace
}  // namespace lumaret
