#include "app/spin_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "document/slideshow_settings.h"

namespace lumaret {
namespace {

constexpr std::int32_t kTimeMin = SlideshowSettings::kMinTime;
constexpr std::int32_t kTimeMax = SlideshowSettings::kMaxTime;

struct Leaving {
  const char* name;
  std::int32_t lowest, highest;
  const char* typed;
  const char* shownAfterLeaving;
  std::int32_t value;
};

class SpinEditLeaving : public ::testing::TestWithParam<Leaving> {};

void Leave(TSpinEdit& edit) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(&edit, &out);
}

TEST_P(SpinEditLeaving, PutsTheValueWithinTheLimits) {
  const Leaving& c = GetParam();
  TSpinEdit edit;
  edit.setLimits(c.lowest, c.highest);
  edit.setText(QString::fromLatin1(c.typed));
  Leave(edit);
  EXPECT_EQ(edit.text(), QString::fromLatin1(c.shownAfterLeaving));
  EXPECT_EQ(edit.value(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpinEditLeaving,
    ::testing::Values(Leaving{"TimeZero", kTimeMin, kTimeMax, "0", "1", 1},
                      Leaving{"TimeTooLong", kTimeMin, kTimeMax, "2000000", "1000000", 1000000},
                      Leaving{"TimeNegative", kTimeMin, kTimeMax, "-7", "1", 1},
                      Leaving{"TimeInside", kTimeMin, kTimeMax, "+250", "+250", 250},
                      // Not a number: reads as the lowest, which is within the limits.
                      Leaving{"TimeEmpty", kTimeMin, kTimeMax, "", "", 1},
                      Leaving{"TimeSigns", kTimeMin, kTimeMax, "--5", "--5", 1},
                      Leaving{"UnlimitedPlusMinus", 0, 0, "+-5", "+-5", 0},
                      Leaving{"UnlimitedPlusAlone", 0, 0, "+", "+", 0},
                      Leaving{"UnlimitedNegative", 0, 0, "-5", "-5", -5},
                      Leaving{"UnlimitedLarge", 0, 0, "500", "500", 500},
                      Leaving{"UnlimitedEmpty", 0, 0, "", "", 0},
                      Leaving{"UnlimitedTrailingSign", 0, 0, "5-", "5-", 0},
                      Leaving{"PastThirtyTwoBits", 0, 0, "99999999999", "99999999999", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct Stepping {
  const char* name;
  std::int32_t lowest, highest;
  const char* start;
  Qt::Key key;
  const char* after;
};

class SpinEditStepping : public ::testing::TestWithParam<Stepping> {};

TEST_P(SpinEditStepping, ArrowKeysStepWithinTheLimits) {
  const Stepping& c = GetParam();
  TSpinEdit edit;
  edit.setLimits(c.lowest, c.highest);
  edit.setText(QString::fromLatin1(c.start));
  QTest::keyClick(&edit, c.key);
  EXPECT_EQ(edit.text(), QString::fromLatin1(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpinEditStepping,
    ::testing::Values(Stepping{"Up", 0, 0, "5", Qt::Key_Up, "6"},
                      Stepping{"Down", 0, 0, "-5", Qt::Key_Down, "-6"},
                      Stepping{"UpAtHighest", kTimeMin, kTimeMax, "1000000", Qt::Key_Up, "1000000"},
                      Stepping{"DownAtLowest", kTimeMin, kTimeMax, "1", Qt::Key_Down, "1"},
                      Stepping{"UpFromOutside", kTimeMin, kTimeMax, "0", Qt::Key_Up, "1"},
                      Stepping{"UpFromEmpty", kTimeMin, kTimeMax, "", Qt::Key_Up, "2"},
                      Stepping{"UpAtInt32Max", 0, 0, "2147483647", Qt::Key_Up, "2147483647"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpinEdit, RefusesEveryCharacterButSignsAndDigits) {
  TSpinEdit edit;
  edit.setText({});
  QSignalSpy refused(&edit, &TSpinEdit::refused);
  QTest::keyClicks(&edit, "1a2.3 +x-4");
  EXPECT_EQ(edit.text(), QStringLiteral("123+-4"));
  EXPECT_EQ(refused.count(), 4);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(edit.text(), QStringLiteral("123+-"));
}

}  // namespace
}  // namespace lumaret
