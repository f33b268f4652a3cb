#include "app/image_btn.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalSpy>

namespace lumaret {
namespace {

enum class Act { Press, MoveOut, MoveIn, ReleaseIn, ReleaseOut };

QPixmap Filled(Qt::GlobalColor color) {
  QPixmap pixmap(101, 30);
  pixmap.fill(color);
  return pixmap;
}

void Send(TImageBtn& button, Act act) {
  const QPointF inside(50, 15), outside(150, 15);
  const bool in = act == Act::Press || act == Act::MoveIn || act == Act::ReleaseIn;
  const QPointF at = in ? inside : outside;
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button_ = Qt::NoButton;
  Qt::MouseButtons held = Qt::LeftButton;
  if (act == Act::Press) {
    type = QEvent::MouseButtonPress;
    button_ = Qt::LeftButton;
  } else if (act == Act::ReleaseIn || act == Act::ReleaseOut) {
    type = QEvent::MouseButtonRelease;
    button_ = Qt::LeftButton;
    held = Qt::NoButton;
  }
  QMouseEvent event(type, at, button.mapToGlobal(at), button_, held, Qt::NoModifier);
  QCoreApplication::sendEvent(&button, &event);
}

struct Gesture {
  const char* name;
  std::vector<Act> acts;
  bool pressedPictureShown;  // after the last act
  int clicks;
};

class ImageBtnGesture : public ::testing::TestWithParam<Gesture> {};

TEST_P(ImageBtnGesture, ShowsTheSecondPictureOnlyWhileHeldOverIt) {
  const Gesture& g = GetParam();
  TImageBtn button;
  const QPixmap normal = Filled(Qt::blue), pressed = Filled(Qt::red);
  button.setPicture(normal);
  button.setPicture2(pressed);
  QSignalSpy clicked(&button, &TImageBtn::clicked);
  for (Act act : g.acts)
    Send(button, act);
  const QPixmap& expected = g.pressedPictureShown ? pressed : normal;
  EXPECT_EQ(button.shownPicture().cacheKey(), expected.cacheKey());
  EXPECT_EQ(clicked.count(), g.clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageBtnGesture,
    ::testing::Values(
        Gesture{"Press", {Act::Press}, true, 0},
        Gesture{"Click", {Act::Press, Act::ReleaseIn}, false, 1},
        Gesture{"DragOff", {Act::Press, Act::MoveOut}, false, 0},
        Gesture{"DragOffAndBack", {Act::Press, Act::MoveOut, Act::MoveIn}, true, 0},
        Gesture{"DragOffAndRelease", {Act::Press, Act::MoveOut, Act::ReleaseOut}, false, 0},
        Gesture{
            "BackAndRelease", {Act::Press, Act::MoveOut, Act::MoveIn, Act::ReleaseIn}, false, 1},
        Gesture{"MovesWithoutPress", {Act::MoveIn, Act::MoveOut, Act::MoveIn}, false, 0},
        Gesture{"TwoClicks", {Act::Press, Act::ReleaseIn, Act::Press, Act::ReleaseIn}, false, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImageBtn, TakesTheSizeOfItsPicture) {
  TImageBtn button;
  button.setPicture(Filled(Qt::blue));
  EXPECT_EQ(button.size(), QSize(101, 30));
  EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

}  // namespace
}  // namespace lumaret
