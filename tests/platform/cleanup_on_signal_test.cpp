#include "platform/cleanup_on_signal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "platform/safe_file_writer.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

using testing::TempDir;

// The child: finished files, then two writers at work when the signal comes.
void WriteThenGetKilled(const TempDir& dir) {
  RemoveTemporariesOnSignal();
  // More finished files than the registry has slots: each must give its slot back.
  for (int i = 0; i < 40; ++i) {
    SafeFileWriter done;
    done.open(dir / "done.bin");
    done.write("done");
    done.commit();
  }
  SafeFileWriter replacing;
  replacing.open(dir / "out.bin");
  replacing.write("partial");
  SafeFileWriter creating;
  creating.open(dir / "new.bin");
  ::raise(SIGTERM);
  ::_exit(0);
}

TEST(CleanupOnSignalDeathTest, RemovesTheOpenTemporariesAndDiesOfTheSignal) {
  TempDir dir;
  testing::WriteBytes(dir / "out.bin", "the earlier file");
  EXPECT_EXIT(WriteThenGetKilled(dir), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"done.bin", "out.bin"}));
  EXPECT_EQ(testing::ReadBytes(dir / "out.bin"), "the earlier file");
}

TEST(CleanupOnSignalDeathTest, AnIgnoredSignalStaysIgnored) {
  EXPECT_EXIT(
      {
        ::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
        RemoveTemporariesOnSignal();
        ::raise(SIGHUP);
        ::_exit(7);
      },
      ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace lumaret
