// "Save video file" on the PDF page: the choices kept for the user, and the
// film made on its own thread while the window goes on.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/spin_edit.h"
#include "app/status_bar.h"
#include "tests/app/form_fixture.h"
#include "video/film.h"

namespace lumaret {
namespace {

class FilmPageTest : public testing::FormFixture {
 protected:
  void SetUp() override { CreateForm(); }

  QComboBox* Sizes() { return Control<QComboBox>("FilmSizeCombo"); }
  QLineEdit* Music() { return Control<QLineEdit>("MusicEdit"); }

  // Two pictures (the second gone), a tenth of a second each.
  void StartShortFilm(const std::string& path, int stop = 100) {
    form->Document().AddPictures({Example("dawn.jpg"), dir / "gone.jpg"}, false);
    Control<TSpinEdit>("TimeEd")->setText(QStringLiteral("1"));
    Control<TSpinEdit>("TimeEd2")->setText(QString::number(stop));
    Sizes()->setCurrentIndex(0);
    dialogs.saveAnswers = {path};
    Control<QAbstractButton>("SaveVideoBtn")->click();
  }
};

TEST_F(FilmPageTest, OffersTheSizesTheCoreReadsBack) {
  const std::pair<const char*, FilmSize> offered[] = {{"720p", {1280, 720}},
                                                      {"1080p (Full HD)", {1920, 1080}},
                                                      {"1440p", {2560, 1440}},
                                                      {"4K (2160p)", {3840, 2160}},
                                                      {"Square 1080 × 1080", {1080, 1080}},
                                                      {"Portrait 1080 × 1920", {1080, 1920}}};
  ASSERT_EQ(Sizes()->count(), int(std::size(offered)));
  EXPECT_EQ(Sizes()->currentText(), QStringLiteral("1080p (Full HD)"));
  for (int k = 0; k < Sizes()->count(); ++k) {
    EXPECT_EQ(Sizes()->itemText(k), QString::fromUtf8(offered[k].first));
    const auto parsed = ParseFilmSize(Sizes()->itemData(k).toString().toStdString());
    ASSERT_TRUE(parsed) << offered[k].first;
    EXPECT_EQ(parsed->width, offered[k].second.width);
    EXPECT_EQ(parsed->height, offered[k].second.height);
  }
}

TEST_F(FilmPageTest, SizeAndMusicAreTheUsersAndComeBack) {
  Sizes()->setCurrentIndex(5);
  QTest::keyClicks(Music(), QStringLiteral("/music/song.ogg"));
  EXPECT_EQ(settings.values["Video/Size"], "1080x1920");
  EXPECT_EQ(settings.values["Video/Music"], "/music/song.ogg");
  CreateForm();
  EXPECT_EQ(Sizes()->currentText(), QStringLiteral("Portrait 1080 × 1920"));
  EXPECT_EQ(Music()->text(), QStringLiteral("/music/song.ogg"));
  Control<QAbstractButton>("ClearMusicBtn")->click();
  EXPECT_EQ(settings.values["Video/Music"], "");
}

TEST_F(FilmPageTest, ProposesTheProjectsNameOrASlideshowWhereThePdfWent) {
  form->SaveDialog2.fileName = dir / "pdfs/show.pdf";
  form->SaveVideoBtnClick();
  ASSERT_TRUE(dir.Files().empty());
  dialogs.saveAnswers = {dir / "Holiday.lmt"};
  form->SaveAsBtnClick();
  form->SaveVideoBtnClick();
  ASSERT_EQ(dialogs.shown.size(), 3u);
  EXPECT_EQ(dialogs.shown[0].options.fileName, dir / "pdfs/Slideshow.mp4");
  EXPECT_EQ(dialogs.shown[0].options.filter, "MP4 film (*.mp4)|*.mp4|WebM film (*.webm)|*.webm");
  EXPECT_EQ(dialogs.shown[2].options.fileName, dir / "Holiday.mp4");
}

TEST_F(FilmPageTest, WritesTheFilmAndNamesThePicturesThatBecameBlack) {
  StartShortFilm(dir / "show.mp4");
  EXPECT_TRUE(form->MakingFilm());
  EXPECT_FALSE(Control<QWidget>("PageControl2")->isEnabled());
  QTRY_VERIFY_WITH_TIMEOUT(!form->MakingFilm(), 120000);
  EXPECT_TRUE(Control<QWidget>("PageControl2")->isEnabled());
  EXPECT_TRUE(messages.errors().empty()) << ::testing::PrintToString(messages.errors());
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{RefusedPicturesWarning({{2, dir / "gone.jpg", "missing"}})});
  EXPECT_TRUE(Control<TStatusBar>("StatusBar1")->panelText(0).startsWith("show.mp4: "));
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"show.mp4"});
}

TEST_F(FilmPageTest, QuittingWhileFilmingStopsItAndLeavesNoFile) {
  StartShortFilm(dir / "long.mp4", 100000);
  messages.answers = {true};
  form->close();
  EXPECT_FALSE(form->MakingFilm());
  form.reset();
  QApplication::processEvents();
  EXPECT_TRUE(dir.Files().empty());
}

}  // namespace
}  // namespace lumaret
