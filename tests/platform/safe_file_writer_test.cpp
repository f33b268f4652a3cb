#include "platform/safe_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(SafeFileWriter, ReplacesTheTargetOnlyOnCommit) {
  TempDir dir;
  const std::string target = dir / "out.bin";
  WriteBytes(target, "old");

  SafeFileWriter w;
  ASSERT_TRUE(w.open(target));
  ASSERT_TRUE(w.write("new "));
  ASSERT_TRUE(w.write("bytes"));
  EXPECT_EQ(w.position(), 9u);
  EXPECT_EQ(ReadBytes(target), "old");  // still the old file while writing
  ASSERT_TRUE(w.commit());
  EXPECT_EQ(ReadBytes(target), "new bytes");
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.bin"});
}

TEST(SafeFileWriter, DiscardAndDestructionLeaveNothingBehind) {
  TempDir dir;
  const std::string target = dir / "out.bin";
  WriteBytes(target, "old");
  {
    SafeFileWriter w;
    ASSERT_TRUE(w.open(target));
    w.write("partial");
  }
  SafeFileWriter w;
  ASSERT_TRUE(w.open(dir / "other.bin"));
  w.discard();
  EXPECT_FALSE(w.commit());
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.bin"});
  EXPECT_EQ(ReadBytes(target), "old");
}

TEST(SafeFileWriter, RefusesTargetsThatCannotBeCreated) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  SafeFileWriter w;
  EXPECT_FALSE(w.open(dir / "missing/out.bin"));
  EXPECT_FALSE(w.reason().empty());
  EXPECT_FALSE(w.open(dir / "folder"));
  EXPECT_FALSE(w.write("x"));
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"folder"});
}

TEST(SafeFileWriter, KeepsTheModeOfTheFileItReplaces) {
  TempDir dir;
  const std::string target = dir / "out.bin";
  WriteBytes(target, "old");
  ::chmod(target.c_str(), 0640);
  SafeFileWriter w;
  ASSERT_TRUE(w.open(target));
  w.write("new");
  ASSERT_TRUE(w.commit());
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(SafeFileWriter, WritesThroughASymbolicLink) {
  TempDir dir;
  const std::string real = dir / "real.bin";
  const std::string link = dir / "link.bin";
  WriteBytes(real, "old");
  std::filesystem::create_symlink(real, link);
  SafeFileWriter w;
  ASSERT_TRUE(w.open(link));
  w.write("new");
  ASSERT_TRUE(w.commit());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "new");
}

TEST(SafeFileWriter, AFailedWriteKeepsTheEarlierFile) {
  TempDir dir;
  const std::string target = dir / "out.bin";
  WriteBytes(target, "the earlier file");
  SafeFileWriter w;
  ASSERT_TRUE(w.open(target));
  {
    testing::FileSizeLimit limit(4096);
    w.write(std::string(100000, 'x'));
    EXPECT_FALSE(w.commit());
  }
  EXPECT_FALSE(w.reason().empty());
  EXPECT_EQ(ReadBytes(target), "the earlier file");
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.bin"});
}

// Renaming over a device or a pipe would replace the node itself.
struct SpecialTarget {
  const char* name;
  int (*make)(const std::string& path);  // 0, or the errno of a refusal
};

void PrintTo(const SpecialTarget& t, std::ostream* os) {
  *os << t.name;
}

class SafeFileWriterSpecial : public ::testing::TestWithParam<SpecialTarget> {};

TEST_P(SafeFileWriterSpecial, RefusesAnythingButARegularFile) {
  TempDir dir;
  const std::string target = dir / "out";
  if (GetParam().make(target) == EPERM)
    GTEST_SKIP() << "this system does not let the tests make " << GetParam().name;
  struct stat before {};
  struct stat after {};
  ASSERT_EQ(::lstat(target.c_str(), &before), 0);
  SafeFileWriter w;
  EXPECT_FALSE(w.open(target));
  EXPECT_EQ(w.reason(), "not a regular file");
  EXPECT_EQ(SafeFileWriter::refusal(target), "not a regular file");
  ASSERT_EQ(::lstat(target.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(dir.Files().size(), std::string(GetParam().name) == "LinkToAPipe" ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SafeFileWriterSpecial,
    ::testing::Values(SpecialTarget{"Pipe",
                                    [](const std::string& p) { return ::mkfifo(p.c_str(), 0644); }},
                      SpecialTarget{"LinkToAPipe",
                                    [](const std::string& p) {
                                      ::mkfifo((p + ".fifo").c_str(), 0644);
                                      return ::symlink((p + ".fifo").c_str(), p.c_str());
                                    }},
                      SpecialTarget{"Device",
                                    [](const std::string& p) {
                                      return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0
                                                 ? 0
                                                 : errno;
                                    }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumaret
