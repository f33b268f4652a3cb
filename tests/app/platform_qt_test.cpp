#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPrinter>
#include <QPushButton>

#include "platform/dialogs.h"
#include "platform/qt/printer_dialogs.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "platform/settings_store.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

struct FilterCase {
  const char* name;
  const char* filter;
  QStringList expected;
};

class NameFiltersTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(NameFiltersTest, BecomeTheToolkitsFilters) {
  EXPECT_EQ(NameFilters(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameFiltersTest,
    ::testing::Values(
        FilterCase{"NamedPatterns", "Lumaret files (*.lmt)|*.lmt", {"Lumaret files (*.lmt)"}},
        FilterCase{"Pdf", "PDF files (*.pdf)|*.pdf", {"PDF files (*.pdf)"}},
        FilterCase{"SeveralPatterns",
                   "All pictures|*.BMP;*.GIF|BMP - Windows, OS/2 Bitmap|*.BMP|All files (*.*)|*.*",
                   {"All pictures (*.BMP *.GIF)", "BMP - Windows, OS/2 Bitmap (*.BMP)",
                    "All files (*.*)"}},
        FilterCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct UrlCase {
  const char* name;
  const char* given;
  const char* url;
};

class DocumentUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(DocumentUrlTest, KeepsAddressesAndTurnsPathsIntoFileUrls) {
  EXPECT_EQ(DocumentUrl(GetParam().given).toString().toStdString(), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentUrlTest,
    ::testing::Values(UrlCase{"Web", "https://lumaret.example.org", "https://lumaret.example.org"},
                      UrlCase{"Path", "/tmp/a show.pdf", "file:///tmp/a show.pdf"},
                      UrlCase{"PathWithColon", "/tmp/x:y.pdf", "file:///tmp/x:y.pdf"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsStores, KeepValuesAcrossInstances) {
  testing::TempDir dir;
  const QString ini = QString::fromStdString(dir / "lumaret.ini");
  {
    QtSettingsStore store(ini);
    EXPECT_EQ(store.value("PrintWindow/Width"), std::nullopt);
    store.setValue("PrintWindow/Width", "75");
  }
  QtSettingsStore again(ini);
  EXPECT_EQ(again.value("PrintWindow/Width"), "75");

  MemorySettingsStore memory;
  memory.setValue("a", "1");
  EXPECT_EQ(memory.value("a"), "1");
  EXPECT_EQ(memory.value("b"), std::nullopt);
}

TEST(RecordingDialogs, AnswersFromItsQueuesThenCancels) {
  RecordingDialogs dialogs;
  dialogs.saveAnswers = {std::string("/x.lmt")};
  dialogs.colorAnswers = {0x0000FFu};
  FileDialogOptions options{"PDF files (*.pdf)|*.pdf", "pdf", false, true, ""};
  EXPECT_EQ(dialogs.saveFile(options), "/x.lmt");
  EXPECT_EQ(dialogs.saveFile(options), std::nullopt);
  EXPECT_TRUE(dialogs.openFiles(options).empty());
  EXPECT_EQ(dialogs.chooseColor(0xFFFFFF), 0x0000FFu);
  EXPECT_EQ(dialogs.chooseColor(0xFFFFFF), std::nullopt);
  ASSERT_EQ(dialogs.shown.size(), 5u);
  EXPECT_EQ(dialogs.shown[2].kind, RecordingDialogs::Kind::Open);
  EXPECT_EQ(dialogs.shown[4].initialColor, 0xFFFFFFu);
}

TEST(PrinterSetupDialog, ItsAcceptButtonOnlyConfirmsTheChoice) {
  QPrinter printer;
  auto dialog = NewPrinterSetupDialog(printer, nullptr);
  dialog->show();
  QApplication::processEvents();
  auto* buttons = dialog->findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  ASSERT_NE(buttons->button(QDialogButtonBox::Ok), nullptr);
  EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
  dialog->reject();
}

}  // namespace
}  // namespace lumaret
