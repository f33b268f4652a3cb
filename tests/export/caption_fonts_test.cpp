// Setting a caption takes bounded work: runs of bounded length for HarfBuzz,
// and a long caption shaped only as far as its line can show.
#include "export/caption_fonts.h"

#include <gtest/gtest.h>

#include <array>

namespace lumaret {
namespace {

TEST(CaptionFonts, ARowOfMarksIsMadeStreamSafeAndShapedInBoundedRuns) {
  CaptionFonts fonts;
  fonts.Add(U"a" + std::u32string(100000, U'\u0301'));
  EXPECT_LE(fonts.Stats().longestRun, kMaxShapedRun);
  EXPECT_EQ(fonts.Stats().characters, 1 + 100000 + 99999 / 30);  // a joiner after each 30 marks
}

std::u32string Times(std::u32string_view text, int count) {
  std::u32string repeated;
  while (count-- > 0)
    repeated += text;
  return repeated;
}

class LongCaption : public ::testing::TestWithParam<std::u32string> {};

// What starts within the first 48 ems (the line at the size of 40) is what
// shows when the whole caption is shaped.
TEST_P(LongCaption, ShowsWhatTheWholeCaptionShows) {
  CaptionFonts whole, cut;
  whole.Add(GetParam());
  cut.Add(GetParam(), 48);
  const auto visible = [](CaptionFonts& fonts) {
    std::vector<std::tuple<std::u32string, std::int32_t, std::int32_t, std::int32_t>> seen;
    double pen = 0;
    const ShapedLine line = fonts.Finish().at(0);
    for (const ShapedRun& run : line)
      for (const ShapedGlyph& g : run.glyphs) {
        const FontSubset& font = fonts.Subsets()[run.font];
        if (pen <= 48)
          seen.emplace_back(font.text[g.glyph], g.advance, g.xOffset, g.yOffset);
        pen += double(g.advance) / font.unitsPerEm;
      }
    return seen;
  };
  EXPECT_EQ(visible(cut), visible(whole));
  EXPECT_LT(cut.Stats().characters, GetParam().size() / 4);
}

// A right-to-left stretch crossing the line's end shows its own end there.
INSTANTIATE_TEST_SUITE_P(
    Captions, LongCaption,
    ::testing::Values(Times(U"Harbour at dawn, boats and gulls. ", 1000),
                      Times(U"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD ", 400) +
                          Times(U"Harbour at dawn ", 2000),
                      Times(U"q\u0301\u0323 ", 10000)),
    [](const auto& info) {
      return std::string(std::array{"Latin", "RightToLeft", "Marks"}[info.index]);
    });

}  // namespace
}  // namespace lumaret
