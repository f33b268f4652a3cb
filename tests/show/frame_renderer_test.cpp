// A frame judged by poppler: the fully shown picture looks as the exported
// PDF's picture page does, and half-way through its fade it is half blended.
#include "show/frame_renderer.h"

#include <gtest/gtest.h>

#include <array>

#include "export/export_pdf.h"
#include "platform/recording_messages.h"
#include "tests/support/picture_oracle.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

namespace oracle = imagora::testing;

TEST(FrameRendererTest, FullyShownFrameLooksAsThePicturePage) {
  testing::TempDir dir;
  ASSERT_EQ(oracle::Shell("convert -size 800x600 xc:'#3366CC' '" + dir / "p.png" + "'"), 0);
  SlideDocument doc;
  doc.AddPictures({dir / "p.png"}, false);
  doc.Slides[0].Caption = "Frame  oracle\r\nWorld";
  doc.Settings.BackgroundColor = RgbColor(0x20, 0x80, 0x40);
  doc.Settings.ShowPdfAfterCreation = false;
  RecordingMessages messages;
  ASSERT_TRUE(ExportPdf(doc, dir / "show.pdf", messages, nullptr, nullptr));
  ASSERT_EQ(
      oracle::Shell("pdftoppm -r 72 -f 1 -l 1 '" + dir / "show.pdf" + "' '" + dir / "page" + "'"),
      0);
  const oracle::RgbImage page = oracle::ReadPnm(dir / "page-1.ppm");
  ASSERT_EQ(page.width, 1920);
  ASSERT_EQ(page.height, 1080);

  FrameRenderer renderer(doc, 1920, 1080);
  const auto frameAt = [&renderer](std::int64_t ms) {
    std::vector<std::uint32_t> pixels(1920 * 1080);
    renderer.render(ms, reinterpret_cast<std::uint8_t*>(pixels.data()), 1920 * 4);
    oracle::RgbImage image{1920, 1080, {}};
    for (std::uint32_t p : pixels)
      image.pixels.push_back({std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
    return image;
  };
  const oracle::RgbImage frame = frameAt(2000);
  const oracle::Rgb picture{0x33, 0x66, 0xCC}, background{0x20, 0x80, 0x40};
  const auto near = [](oracle::Rgb a, oracle::Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
  };
  // Where either differs from the picture or the background by more than 3
  // levels: only the caption's ink, in the same box (poppler blurs the
  // picture's right edge).
  std::array<int, 4> pageInk{1920, 1080, -1, -1}, frameInk = pageInk;
  for (auto [image, ink] : {std::pair{&page, &pageInk}, {&frame, &frameInk}})
    for (int y = 0; y < 1080; ++y)
      for (int x = 0; x < 1920; ++x) {
        if (x != 1440 && !near(image->at(x, y), x < 1440 ? picture : background, 3))
          *ink = {std::min((*ink)[0], x), std::min((*ink)[1], y), std::max((*ink)[2], x),
                  std::max((*ink)[3], y)};
      }
  EXPECT_TRUE(pageInk[0] < 60 && pageInk[1] > 960 && pageInk[2] > 300) << pageInk[0];
  for (int k = 0; k < 4; ++k)
    EXPECT_NEAR(frameInk[k], pageInk[k], 3) << k;

  const oracle::Rgb half = frameAt(500).at(700, 300);
  EXPECT_TRUE(near(half, {0x2A, 0x73, 0x86}, 3))
      << int(half.r) << " " << int(half.g) << " " << int(half.b);
}

}  // namespace
}  // namespace lumaret
