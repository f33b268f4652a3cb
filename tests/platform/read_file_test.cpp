#include "platform/read_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

TEST(ReadWholeFile, ReadsExactlyTheFile) {
  testing::TempDir dir;
  for (std::size_t size : {0u, 1u, 4095u, 70000u}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = char(i * 7);
    testing::WriteBytes(dir / "f", bytes);
    const FileBytes got = ReadWholeFile(dir / "f", 1 << 20);
    ASSERT_TRUE(got.ok) << size;
    EXPECT_EQ(got.bytes, bytes);
  }
}

TEST(ReadWholeFile, StopsAtTheLimitEvenWhereNoSizeIsKnown) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "f", std::string(101, 'x'));
  EXPECT_TRUE(ReadWholeFile(dir / "f", 101).ok);
  const FileBytes big = ReadWholeFile(dir / "f", 100);
  EXPECT_FALSE(big.ok);
  EXPECT_TRUE(big.tooLarge);
  EXPECT_TRUE(big.bytes.empty());

  const FileBytes endless = ReadWholeFile("/dev/zero", 1000);  // no size, no end
  EXPECT_TRUE(endless.tooLarge);
}

TEST(ReadWholeFile, ReportsWhatCannotBeRead) {
  testing::TempDir dir;
  const FileBytes missing = ReadWholeFile(dir / "missing", 100);
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.tooLarge);
  EXPECT_FALSE(missing.reason.empty());
  EXPECT_FALSE(ReadWholeFile(dir.path().string(), 100).ok);  // a folder
}

}  // namespace
}  // namespace lumaret
