#include "platform/temp_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

using testing::ReadBytes;
using testing::TempDir;

TEST(TempFileName, ReservesTheLowestFreeNameWithoutFollowingLinks) {
  TempDir dir;
  testing::WriteBytes(dir / "tempim0.jpg", "someone else's");
  testing::WriteBytes(dir / "target", "keep");
  std::filesystem::create_symlink(dir / "target", dir / "tempim1.jpg");
  const std::string name = TempFileName(dir.path().string(), "tempim", ".jpg");
  EXPECT_EQ(name, dir / "tempim2.jpg");
  EXPECT_TRUE(std::filesystem::is_regular_file(name));
  EXPECT_EQ(TempFileName(dir.path().string() + "/", "tempim", ".jpg"), dir / "tempim3.jpg");
  EXPECT_EQ(ReadBytes(dir / "target"), "keep");
  EXPECT_EQ(TempFileName(dir / "missing", "tempim", ".jpg"), "");
}

}  // namespace
}  // namespace lumaret
