#include "imaging/print_layout.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace lumaret {

void PrintTo(const PrintPlacement& p, std::ostream* os) {
  *os << p.width << "x" << p.height << " at (" << p.x << ", " << p.y << ")";
}

namespace {

// An A4 page at 600 dots per inch, portrait, and an 800 x 600 picture.
constexpr int kPageW = 4960, kPageH = 7016;
constexpr int kPicW = 800, kPicH = 600;

PrintOptions Whole(bool keepAspect, bool centered) {
  return {true, keepAspect, centered, 50, 50};
}
PrintOptions User(int widthPercent, int heightPercent, bool centered = true) {
  return {false, true, centered, widthPercent, heightPercent};
}

struct LayoutCase {
  const char* name;
  int pageW, pageH, picW, picH;
  PrintOptions options;
  PrintPlacement expected;
};

class PrintLayoutRule : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintLayoutRule, PlacesThePicture) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(PrintLayout(c.pageW, c.pageH, c.picW, c.picH, c.options), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintLayoutRule,
    ::testing::Values(
        // On paper: the page width is reached first.
        LayoutCase{"paper", kPageW, kPageH, kPicW, kPicH, Whole(true, true), {0, 1648, 4960, 3720}},
        // The preview page of 134 x 190: c = 100.5 truncates to 100.
        LayoutCase{"preview", 134, 190, kPicW, kPicH, Whole(true, true), {0, 45, 134, 100}},
        LayoutCase{"not centred", 134, 190, kPicW, kPicH, Whole(true, false), {0, 0, 134, 100}},
        // A tall picture reaches the page height first.
        LayoutCase{
            "height first", kPageW, kPageH, 600, 1000, Whole(true, true), {375, 0, 4209, 7016}},
        LayoutCase{
            "stretched", kPageW, kPageH, kPicW, kPicH, Whole(false, true), {0, 0, 4960, 7016}},
        // 67.0 and 49.4, rounded.
        LayoutCase{"user defined", 134, 190, kPicW, kPicH, User(50, 26), {33, 70, 67, 49}},
        LayoutCase{
            "user defined top left", 134, 190, kPicW, kPicH, User(50, 26, false), {0, 0, 67, 49}},
        // 2.5 and 3.5 go to the even neighbours 2 and 4.
        LayoutCase{"halves to even", 5, 7, kPicW, kPicH, User(50, 50), {1, 1, 2, 4}},
        LayoutCase{
            "user whole page", kPageW, kPageH, kPicW, kPicH, User(100, 100), {0, 0, 4960, 7016}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
          ch = '_';
      return name;
    });

struct PreviewCase {
  int pageW, pageH;
  PrintPlacement expected;
};

class PreviewPageShape : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewPageShape, FitsTheBox) {
  EXPECT_EQ(PreviewPage(190, 190, GetParam().pageW, GetParam().pageH), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewPageShape,
                         ::testing::Values(PreviewCase{kPageW, kPageH, {28, 0, 134, 190}},
                                           PreviewCase{kPageH, kPageW, {0, 28, 190, 134}},
                                           PreviewCase{100, 100, {0, 0, 190, 190}},
                                           PreviewCase{0, 100, {0, 0, 0, 0}}));

struct CouplingCase {
  int percent;
  int coupled;
};

TEST(PercentCoupling, KeepsThePrintedProportions) {
  // v = 600 x 50 / 800 x 4960 / 7016 = 26.51...
  const CouplingCase heights[] = {{50, 26}, {100, 53}, {1, 0}, {189, 100}, {200, 106}};
  for (const CouplingCase& c : heights)
    EXPECT_EQ(CoupledHeightPercent(kPicW, kPicH, c.percent, kPageW, kPageH), c.coupled)
        << c.percent;
  // The mirror: 800 x 26 / 600 x 7016 / 4960 = 49.03...
  const CouplingCase widths[] = {{26, 49}, {53, 99}, {100, 188}};
  for (const CouplingCase& c : widths)
    EXPECT_EQ(CoupledWidthPercent(kPicW, kPicH, c.percent, kPageW, kPageH), c.coupled) << c.percent;
}

}  // namespace
}  // namespace lumaret
