// The "Pictures" page as a user meets it: where its controls lie, and that
// the grid's keys stay with the grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "app/grid_geometry.h"
#include "app/main_form.h"
#include "tests/app/form_fixture.h"

namespace lumaret {
namespace {

class PicturesPage : public testing::FormFixture {
 protected:
  void SetUp() override {
    CreateForm();
    form->resize(760, 560);
    form->show();
    QApplication::processEvents();
  }

  void AddPictures(int count) {
    std::vector<std::string> files;
    for (int i = 1; i <= count; ++i)
      files.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
    Add(files);
  }

  QLineEdit* Keys() { return Control<QLineEdit>("KeyEdit"); }
  // Where a control lies on the page's working area.
  QRect Place(QWidget* control) {
    QWidget* work = Control<QWidget>("ScrollBox1")->parentWidget();
    return QRect(control->mapTo(work, QPoint(0, 0)), control->size());
  }
  QRect Place(const char* name) { return Place(Control<QWidget>(name)); }
  QScrollBar* Bar() { return Control<QScrollArea>("ScrollBox1")->verticalScrollBar(); }
};

TEST_F(PicturesPage, DownWithNothingBelowLeavesTheScrollWhereTheCellShows) {
  const int columns = form->GridColumns();
  ASSERT_GE(columns, 3);
  AddPictures(10 * columns + 2);
  const int current = 9 * columns + 3;  // the next row is too short to hold a picture below
  form->Document().CurrentPicture = current;
  Keys()->setFocus();
  const int view = Control<QScrollArea>("ScrollBox1")->viewport()->height();
  const int shown = grid::ScrollPositionFor(current, columns, 0, view);
  ASSERT_LT(shown + 20, Bar()->maximum());

  QTest::keyClick(Keys(), Qt::Key_Down);
  QTest::keyClick(Keys(), Qt::Key_Down);
  EXPECT_EQ(form->Document().CurrentPicture, current);
  EXPECT_EQ(Bar()->value(), shown);
}

TEST_F(PicturesPage, TheCheckBoxSitsUnderTheFirstButtonAsTheDesignPlacesIt) {
  EXPECT_EQ(Place("FilenamesCheck").topLeft(), QPoint(8, Place("NewFotoBtn").bottom() + 8));
}

TEST_F(PicturesPage, TopToBottomCommandsCaptionGridPath) {
  const std::pair<const char*, const char*> above[] = {{"NachHintenBtn", "Memo1"},
                                                       {"FilenamesCheck", "Memo1"},
                                                       {"Memo1", "ScrollBox1"},
                                                       {"ScrollBox1", "Label1"}};
  for (const auto& [upper, lower] : above)
    EXPECT_LT(Place(upper).bottom(), Place(lower).top()) << upper << " over " << lower;
  QLabel* caption = nullptr;
  for (QLabel* label : form->findChildren<QLabel*>())
    if (label->text() == "Text for this picture")
      caption = label;
  ASSERT_NE(caption, nullptr);
  EXPECT_LT(Place(caption).bottom(), Place("Memo1").top());
  EXPECT_EQ(Place("Memo1").height(), 63);
}

TEST_F(PicturesPage, TheGridTakesWhatATallerWindowGivesAndThePathStaysAtTheBottom) {
  QWidget* work = Control<QWidget>("ScrollBox1")->parentWidget();
  const int grid = Place("ScrollBox1").height();
  form->resize(form->width(), form->height() + 100);
  QApplication::processEvents();
  EXPECT_EQ(Place("ScrollBox1").height(), grid + 100);
  EXPECT_EQ(Place("Label1").bottom(), work->height() - 1);
}

}  // namespace
}  // namespace lumaret
