// The windows need a QApplication; the tests run without a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/accessibility.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  lumaret::InstallAccessibility();
  QApplication::setApplicationDisplayName(QStringLiteral("Lumaret"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
