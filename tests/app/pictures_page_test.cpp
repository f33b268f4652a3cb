// The "Pictures" page as a user meets it: where its controls lie, and that
// the grid's keys stay with the grid.
#include <gtest/gtest.h>

#include <QLineEdit>
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

}  // namespace
}  // namespace lumaret
