#include "platform/qt/qt_settings_store.h"

namespace lumaret {

std::optional<std::string> QtSettingsStore::value(const std::string& key) const {
  const QString name = QString::fromStdString(key);
  if (!settings_.contains(name))
    return std::nullopt;
  return settings_.value(name).toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& key, const std::string& value) {
  settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

}  // namespace lumaret
