// The program's main window: the file commands, the four pages, the settings
// of the show, the export, and the status bar with its progress panel. It
// holds the document for the whole run.
#pragma once

#include <QRect>
#include <QStringList>
#include <QWidget>

#include "document/slide_document.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/qt/modal_runner.h"
#include "platform/shell.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace lumaret {

class StatusBar;
class TImageBtn;
class THtmlColorComboBox;
class TSpinEdit;

// Where the window's questions, dialogs and hand-overs go.
struct MainFormServices {
  Messages& messages;
  Dialogs& dialogs;
  Shell& shell;
  ModalRunner& modal;
};

class TMainForm : public QWidget, public ProgressSink {
  Q_OBJECT

 public:
  // arguments: the command line without the program's name.
  TMainForm(MainFormServices services, QStringList arguments, QWidget* parent = nullptr);
  ~TMainForm() override;

  SlideDocument& Document() { return doc_; }

  // The decoding progress of the image library, painted at once.
  void progress(int percent) override { SetProStatus(percent); }
  void SetProStatus(int percent);
  QRect ProgressRect() const { return progressRect_; }
  int ProgressPercent() const { return progressPercent_; }

  // The commands, as the buttons run them.
  void NewBtnClick();
  void OpenBtnClick();
  void SaveAsBtnClick();
  void SavePDFBtnClick();
  void EndeBtnClick();
  void ueberbtnClick();
  void wwwBtnClick();

  // The file dialogs keep their options, and the name last chosen, for the run.
  FileDialogOptions OpenDialog1;
  FileDialogOptions OpenDialog2;
  FileDialogOptions SaveDialog1;
  FileDialogOptions SaveDialog2;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildToolStrip(QWidget* strip);
  void BuildPages();
  void BuildSettingsPage(QWidget* work);
  void BuildPdfPage(QWidget* work);
  QWidget* BuildBottomBar();

  void FormShow();
  void FormCloseQuery(bool& canClose);
  void StatusBar1DrawPanel(QPainter& canvas, int panel, const QRect& rect);
  void SBarPaintMore();
  QRect ProgressBarRect() const;

  // The settings live in the controls while the user edits them; these move
  // them into the document before it is saved or exported, and back after a
  // load or New.
  void ControlsToSettings();
  void SettingsToControls();

  MainFormServices services_;
  QStringList arguments_;
  SlideDocument doc_;
  bool firstShown_ = false;
  QRect progressRect_;
  int progressPercent_ = 0;

  QToolButton* NewBtn = nullptr;
  QToolButton* OpenBtn = nullptr;
  QToolButton* SaveAsBtn = nullptr;
  QTabWidget* PageControl2 = nullptr;
  QToolButton* wwwBtn = nullptr;
  TImageBtn* ueberbtn = nullptr;
  TImageBtn* endebtn = nullptr;
  StatusBar* StatusBar1 = nullptr;

  TSpinEdit* TimeEd = nullptr;
  TSpinEdit* TimeEd2 = nullptr;
  THtmlColorComboBox* HtmlColorComboBox1 = nullptr;  // background
  THtmlColorComboBox* HtmlColorComboBox2 = nullptr;  // caption border
  THtmlColorComboBox* HtmlColorComboBox3 = nullptr;  // caption
  TSpinEdit* TextXEd = nullptr;
  TSpinEdit* TextYEd = nullptr;
  TSpinEdit* FontSizeEd = nullptr;
  QRadioButton* Blende1Check = nullptr;
  QRadioButton* Blende2Check = nullptr;

  QPushButton* SavePDFBtn = nullptr;
  QCheckBox* ShowPDFCheck = nullptr;
  QCheckBox* VollScreenCheck = nullptr;
};

}  // namespace lumaret
