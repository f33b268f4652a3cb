#include "platform/qt/qt_messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace lumaret {
namespace {

QString TitleOrDefault(const std::string& title) {
  return title.empty() ? QGuiApplication::applicationDisplayName()
                       : QString::fromLocal8Bit(title.data(), qsizetype(title.size()));
}

bool Ask(QMessageBox::Icon icon, const std::string& title, const std::string& text) {
  QMessageBox box(icon, TitleOrDefault(title),
                  QString::fromLocal8Bit(text.data(), qsizetype(text.size())),
                  QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}

void Tell(QMessageBox::Icon icon, const std::string& text, const std::string& title) {
  QMessageBox box(icon, TitleOrDefault(title),
                  QString::fromLocal8Bit(text.data(), qsizetype(text.size())), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

}  // namespace

void QtMessages::error(const std::string& text, const std::string& title) {
  Tell(QMessageBox::Critical, text, title);
}

void QtMessages::warning(const std::string& text, const std::string& title) {
  Tell(QMessageBox::Warning, text, title);
}

bool QtMessages::confirm(const std::string& title, const std::string& text) {
  return Ask(QMessageBox::Question, title, text);
}

bool QtMessages::confirmNotice(const std::string& title, const std::string& text) {
  return Ask(QMessageBox::Information, title, text);
}

}  // namespace lumaret
