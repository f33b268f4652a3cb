// What the windows of the program share: control names, the workspace grey,
// and the texts that show files and captions.
#pragma once

#include <QColor>
#include <QFile>
#include <QString>
#include <string>

#include "platform/name_only.h"

namespace lumaret {

// Outside the pictures the windows show the desktop's application-workspace grey.
inline const QColor kWorkspaceColor{0xAB, 0xAB, 0xAB};

// The widget under its control name, by which tests and screen readers find it.
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// The file name of a path without its folder, as the file system spells it.
inline QString NameOnlyText(const std::string& path) {
  const std::string_view name = NameOnly(path);
  return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())));
}

// Captions keep CR LF line breaks (and the single CRs of default texts); a
// text box breaks lines at LF.
inline QString CaptionWithLfBreaks(const std::string& caption) {
  QString text = QString::fromLocal8Bit(caption);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace lumaret
