// Thumbnails of progressive JPEGs read from their DC coefficients must match
// libjpeg-turbo's 1/8-scale decode of the same scans, and, where chroma is not
// subsampled, djpeg's 1/8-scale decode of the whole file.
#include <gtest/gtest.h>

#include "imagora/detail/reduced_jpeg.h"
#include "tests/imagora/picture_oracle.h"
#include "tests/support/temp_dir.h"

namespace imagora {
namespace {

using testing::Shell;

struct DcCase {
  const char* name;
  const char* encode;  // cjpeg options, from rich.ppm to a.jpg
  int tolerance;
  // djpeg scales subsampled chroma with a 2 x 2 inverse DCT that uses AC
  // coefficients too; then only libjpeg reading the same DC scans compares.
  bool subsampled = false;
};

void PrintTo(const DcCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgressiveDc : public ::testing::TestWithParam<DcCase> {};

TEST_P(ProgressiveDc, MatchesLibjpegAtOneEighth) {
  lumaret::testing::TempDir dir;
  testing::WritePattern(dir / "pattern.ppm", 643, 365);
  const std::string cd = "cd '" + dir.path().string() + "' && ";
  ASSERT_EQ(Shell(cd + "convert pattern.ppm -blur 0x4 rich.ppm && cjpeg " + GetParam().encode +
                  " rich.ppm > a.jpg && djpeg -scale 1/8 -nosmooth -pnm a.jpg > ref.pnm"),
            0);
  const std::string bytes = lumaret::testing::ReadBytes(dir / "a.jpg");
  const detail::Bytes file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  detail::ProgressReporter progress(nullptr);
  DibHandle dib;
  int w = 0, h = 0;
  ASSERT_TRUE(detail::DecodeProgressiveDc(file, 80, 80, &dib, progress, &w, &h));
  EXPECT_EQ(w, 643);
  EXPECT_EQ(h, 365);
  const testing::RgbImage got = testing::FromDib(dib);
  deldib(&dib);
  if (!GetParam().subsampled) {
    EXPECT_TRUE(testing::SamePicture(got, testing::ReadPnm(dir / "ref.pnm"), GetParam().tolerance));
  }

  ASSERT_TRUE(detail::DecodeJpegReduced(file, 80, 80, &dib, progress, &w, &h));
  EXPECT_TRUE(testing::SamePicture(got, testing::FromDib(dib), GetParam().tolerance));
  deldib(&dib);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ProgressiveDc,
    ::testing::Values(DcCase{"Sampling444", "-progressive -sample 1x1 -quality 90", 3},
                      DcCase{"Sampling420", "-progressive -quality 75", 2, true},
                      DcCase{"Sampling422", "-progressive -sample 2x1 -quality 85", 2, true},
                      DcCase{"Grey", "-progressive -grayscale", 2},
                      DcCase{"RestartIntervals", "-progressive -restart 3B -quality 95", 2, true},
                      DcCase{"RgbComponents", "-progressive -rgb", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressiveDc, DeclinesWhatItDoesNotHandle) {
  lumaret::testing::TempDir dir;
  testing::WritePattern(dir / "pattern.ppm", 643, 365);
  testing::WritePattern(dir / "small.ppm", 300, 200);
  const std::string cd = "cd '" + dir.path().string() + "' && ";
  ASSERT_EQ(Shell(cd + "cjpeg pattern.ppm > baseline.jpg && cjpeg -progressive small.ppm > "
                       "small.jpg && cjpeg -progressive pattern.ppm > good.jpg"),
            0);
  detail::ProgressReporter progress(nullptr);
  const auto declines = [&](const std::string& bytes) {
    const detail::Bytes file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    DibHandle dib{};
    int w, h;
    const bool decoded = detail::DecodeProgressiveDc(file, 80, 80, &dib, progress, &w, &h);
    deldib(&dib);
    return !decoded;
  };
  EXPECT_TRUE(declines(lumaret::testing::ReadBytes(dir / "baseline.jpg")));
  EXPECT_TRUE(declines(lumaret::testing::ReadBytes(dir / "small.jpg")));  // 1/8 too small
  const std::string good = lumaret::testing::ReadBytes(dir / "good.jpg");
  EXPECT_FALSE(declines(good));
  // Cut anywhere before the first AC scan: declined (libjpeg then judges).
  const std::size_t firstAc = good.find("\xFF\xDA", good.find("\xFF\xDA") + 2);
  for (std::size_t length = 0; length < firstAc; length += 1 + length / 16)
    EXPECT_TRUE(declines(good.substr(0, length))) << length;
}

}  // namespace
}  // namespace imagora
