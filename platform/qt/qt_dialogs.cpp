#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>

namespace lumaret {
namespace {

QString FromBytes(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string ToBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// A dialog set up from the options; the caller picks open or save.
void Prepare(QFileDialog& dialog, const FileDialogOptions& options) {
  dialog.setNameFilters(NameFilters(options.filter));
  dialog.setDefaultSuffix(FromBytes(options.defaultExtension));
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
  dialog.setSizeGripEnabled(true);
  if (!options.fileName.empty())
    dialog.selectFile(FromBytes(options.fileName));
}

}  // namespace

QStringList NameFilters(const std::string& filter) {
  const QStringList parts = FromBytes(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // A description that already names its patterns is shown as it is.
    if (description.endsWith(QLatin1Char(')')))
      filters << description;
    else
      filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return filters;
}

std::vector<std::string> QtDialogs::openFiles(const FileDialogOptions& options) {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, options);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Names that do not exist are accepted, as the commands decide what to do with them.
  dialog.setFileMode(options.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
  std::vector<std::string> chosen;
  if (dialog.exec() == QDialog::Accepted)
    for (const QString& file : dialog.selectedFiles())
      chosen.push_back(ToBytes(file));
  return chosen;
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogOptions& options) {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, options);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return ToBytes(dialog.selectedFiles().constFirst());
}

std::optional<std::uint32_t> QtDialogs::chooseColor(std::uint32_t initial) {
  const QColor start(int(initial & 0xFF), int(initial >> 8 & 0xFF), int(initial >> 16 & 0xFF));
  const QColor chosen = QColorDialog::getColor(start, QApplication::activeWindow());
  if (!chosen.isValid())
    return std::nullopt;
  return std::uint32_t(chosen.red()) | std::uint32_t(chosen.green()) << 8 |
         std::uint32_t(chosen.blue()) << 16;
}

}  // namespace lumaret
