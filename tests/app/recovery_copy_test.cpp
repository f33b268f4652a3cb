// The recovery copy: whose it is, when it is there, and what the next start
// makes of a copy a dead window left.
#include "app/recovery_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "document/project_file.h"
#include "tests/app/form_fixture.h"

namespace lumaret {
namespace {

using testing::ReadBytes;

// A process that has ended, its pid known.
std::int64_t EndedPid() {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(RecoveryOwnerTest, RunsOnlyWhileTheVeryProcessDoes) {
  const RecoveryOwner self = CurrentOwner();
  ASSERT_EQ(self.pid, ::getpid());
  struct Case {
    const char* what;
    std::function<void(RecoveryOwner&)> change;
    bool runs;
  };
  const Case cases[] = {
      {"this process", [](RecoveryOwner&) {}, true},
      {"its pid, started later", [](RecoveryOwner& o) { ++o.started; }, false},
      {"its pid, before a restart", [](RecoveryOwner& o) { o.boot = "another boot"; }, false},
      {"its pid, another program", [](RecoveryOwner& o) { o.program = "sh"; }, false},
      {"a process that ended", [](RecoveryOwner& o) { o.pid = EndedPid(); }, false},
      {"no pid", [](RecoveryOwner& o) { o.pid = 0; }, false},
  };
  for (const Case& c : cases) {
    RecoveryOwner owner = self;
    c.change(owner);
    EXPECT_EQ(OwnerRuns(owner), c.runs) << c.what;
  }
}

TEST(RecoveryOwnerTest, KeepsAProjectPathOfAnyBytes) {
  RecoveryOwner owner = CurrentOwner();
  owner.projectFile = "/shows/a trip\nwith pid 7.lmt";
  const std::optional<RecoveryOwner> read = ParseOwner(FormatOwner(owner));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->projectFile, owner.projectFile);
  EXPECT_TRUE(OwnerRuns(*read));
  EXPECT_FALSE(ParseOwner("not an owner"));
}

class RecoveryCopyTest : public testing::FormFixture {
 protected:
  std::string folder = dir / "state/lumaret";

  // A copy left by a window of this program that died: the same program, started earlier.
  std::string PlantDeadCopy(const std::string& project, const std::string& projectFile) {
    RecoveryOwner dead = CurrentOwner();
    dead.pid = EndedPid();
    RecoveryCopy copy(folder, dead);
    EXPECT_TRUE(copy.write(project, projectFile)) << copy.reason();
    return copy.path();
  }

  static std::string TwoCaptionedPictures() {
    SlideDocument show;
    for (const auto& [file, caption] : {std::pair{"/pictures/dawn.jpg", "Early"},
                                        std::pair{"/pictures/night.png", "Late\r\nand dark"}}) {
      SlideEntry& entry = show.Slides.Append();
      entry.FileName = file;
      entry.Caption = caption;
    }
    show.Settings.FontSize = 12;
    show.Settings.CrossFade = true;
    return EncodeProject(show);
  }

  void StartWindow(QStringList arguments = {}) {
    CreateForm(std::move(arguments));
    form->KeepRecoveryCopy(folder);
    form->show();
    QApplication::processEvents();
  }

  std::string OwnCopy() const {
    return folder + "/recovery-" + std::to_string(::getpid()) + ".lmt";
  }
};

TEST_F(RecoveryCopyTest, IsWrittenPrivatelyFoundOnlyWhenDeadAndRemoved) {
  RecoveryCopy mine(folder);
  ASSERT_TRUE(mine.write("show bytes", "/shows/trip.lmt")) << mine.reason();
  EXPECT_EQ(ReadBytes(mine.path()), "show bytes");
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(FindOrphanCopies(folder).empty());  // its window runs

  const std::string dead = PlantDeadCopy("older", "/shows/old.lmt");
  const std::vector<OrphanCopy> orphans = FindOrphanCopies(folder);
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].path, dead);
  EXPECT_EQ(orphans[0].owner.projectFile, "/shows/old.lmt");

  mine.remove();
  RemoveRecoveryCopy(dead);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(RecoveryCopyTest, AFailedWriteSaysWhyAndLeavesNothing) {
  testing::WriteBytes(dir / "state", "a file where the folder should be");
  RecoveryCopy copy(folder);
  EXPECT_FALSE(copy.write("show bytes", {}));
  EXPECT_NE(copy.reason().find("Not a directory"), std::string::npos) << copy.reason();
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"state"});
}

TEST_F(RecoveryCopyTest, ALeftoverUnderThisPidIsSetAsideNotOverwritten) {
  RecoveryOwner earlier = CurrentOwner();
  --earlier.started;
  ASSERT_TRUE(RecoveryCopy(folder, earlier).write("earlier show", {}));
  RecoveryCopy mine(folder);
  mine.SetAsideLeftover();
  ASSERT_TRUE(mine.write("this show", {}));
  const std::vector<OrphanCopy> orphans = FindOrphanCopies(folder);
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_NE(orphans[0].path, mine.path());
  EXPECT_EQ(ReadBytes(orphans[0].path), "earlier show");
}

TEST_F(RecoveryCopyTest, RestoredShowIsUnsavedAndOffersItsFileName) {
  const std::string project = TwoCaptionedPictures();
  const std::string dead = PlantDeadCopy(project, "/shows/trip.lmt");
  messages.answers = {true};
  StartWindow();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Lumaret");
  EXPECT_EQ(messages.shown[0].text,
            "Lumaret was not closed properly. Restore the show you were working on?");
  ASSERT_EQ(form->Document().Slides.Count(), 2u);
  EXPECT_EQ(form->Document().Slides[1u].Caption, "Late\r\nand dark");
  EXPECT_EQ(Control<QWidget>("FontSizeEd")->property("text").toString(), QStringLiteral("12"));
  EXPECT_TRUE(form->Unsaved());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Lumaret 1.0*"));
  EXPECT_EQ(form->SaveDialog1.fileName, "/shows/trip.lmt");
  form.reset();  // not a clean end: the copy is now this window's
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_EQ(ReadBytes(OwnCopy()), project);
}

TEST_F(RecoveryCopyTest, DeclinedCopyIsRemovedAndARunningWindowsIsNotOffered) {
  const std::string dead = PlantDeadCopy(TwoCaptionedPictures(), {});
  messages.answers = {false};
  StartWindow();
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_EQ(form->Document().Slides.Count(), 0u);
  EXPECT_FALSE(form->Unsaved());

  ASSERT_TRUE(RecoveryCopy(folder).write("a running window's show", {}));
  StartWindow();
  EXPECT_EQ(messages.shown.size(), 1u);
}

// What ends the show in the window, and whether it leaves the show saved.
struct EndCase {
  const char* what;
  std::function<void(TMainForm&, RecordingDialogs&, const std::string& folder)> end;
  bool saved;
};

class RecoveryCopyEnds : public RecoveryCopyTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(RecoveryCopyEnds, FollowTheShowUntilItIsSavedReplacedOrClosed) {
  StartWindow();
  form->findChild<QTimer*>(QStringLiteral("RecoveryTimer"))->setInterval(0);
  Add({dir / "p1.jpg"});
  EXPECT_TRUE(form->Unsaved());
  QTRY_VERIFY(std::filesystem::exists(OwnCopy()));
  GetParam().end(*form, dialogs, dir.path().string());
  QTRY_VERIFY(!std::filesystem::exists(OwnCopy()));
  EXPECT_EQ(form->Unsaved(), !GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RecoveryCopyEnds,
    ::testing::Values(
        EndCase{"SaveAs",
                [](TMainForm& form, RecordingDialogs& dialogs, const std::string& folder) {
                  dialogs.saveAnswers = {folder + "/saved.lmt"};
                  form.SaveAsBtnClick();
                },
                true},
        EndCase{"New",
                [](TMainForm& form, RecordingDialogs&, const std::string&) { form.NewBtnClick(); },
                true},
        EndCase{"Open",
                [](TMainForm& form, RecordingDialogs&, const std::string& folder) {
                  testing::WriteBytes(folder + "/other.lmt", EncodeProject(SlideDocument{}));
                  form.OpenProject(folder + "/other.lmt");
                },
                true},
        EndCase{"Quit",
                [](TMainForm& form, RecordingDialogs&, const std::string&) { form.close(); },
                false}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return info.param.what; });

}  // namespace
}  // namespace lumaret
