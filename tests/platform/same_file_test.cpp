#include "platform/same_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

TEST(IsSameFile, GoesByTheFileNotByItsName) {
  testing::TempDir dir;
  const std::string a = dir / "a.jpg";
  testing::WriteBytes(a, "x");
  testing::WriteBytes(dir / "b.jpg", "x");
  std::filesystem::create_hard_link(a, dir / "hard.jpg");
  std::filesystem::create_symlink(a, dir / "soft.jpg");
  const struct {
    std::string other;
    bool same;
  } cases[] = {
      {a, true},
      {dir / "./a.jpg", true},
      {dir / "hard.jpg", true},
      {dir / "soft.jpg", true},
      {dir / "b.jpg", false},  // equal bytes, another file
      {dir / "missing.jpg", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsSameFile(c.other, a), c.same) << c.other;
  EXPECT_FALSE(IsSameFile(dir / "missing.jpg", dir / "missing.jpg"));
}

}  // namespace
}  // namespace lumaret
