#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>

namespace lumaret {

QUrl DocumentUrl(const std::string& pathOrAddress) {
  const QByteArray bytes(pathOrAddress.data(), qsizetype(pathOrAddress.size()));
  const QUrl url(QString::fromUtf8(bytes), QUrl::StrictMode);
  if (url.isValid() && url.scheme().size() > 1)  // "C:" would be a drive, not a scheme
    return url;
  return QUrl::fromLocalFile(QFileInfo(QFile::decodeName(bytes)).absoluteFilePath());
}

void QtShell::openDocument(const std::string& pathOrAddress) {
  // Like the shell's "open", whether the opener succeeded is not our concern.
  QDesktopServices::openUrl(DocumentUrl(pathOrAddress));
}

}  // namespace lumaret
