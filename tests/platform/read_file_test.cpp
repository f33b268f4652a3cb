#include "platform/read_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(ReadWholeFile, StopsAtTheLimit) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "f", std::string(101, 'x'));
  EXPECT_TRUE(ReadWholeFile(dir / "f", 101).ok);
  const FileBytes big = ReadWholeFile(dir / "f", 100);
  EXPECT_FALSE(big.ok);
  EXPECT_TRUE(big.tooLarge);
  EXPECT_TRUE(big.bytes.empty());
}

TEST(ReadWholeFile, ReadsOnlyRegularFilesAndSaysWhyNot) {
  testing::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  // A pipe nobody writes to and an endless device must both end at once.
  for (const std::string& path : {dir / "missing", dir / "missing/f", dir.path().string(),
                                  dir / "fifo", std::string("/dev/zero")}) {
    const FileBytes got = ReadWholeFile(path, 1000);
    EXPECT_FALSE(got.ok) << path;
    EXPECT_FALSE(got.tooLarge) << path;
    EXPECT_FALSE(got.reason.empty()) << path;
    EXPECT_EQ(got.missing, path.find("missing") != std::string::npos) << path;
  }
}

}  // namespace
}  // namespace lumaret
