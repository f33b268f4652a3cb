// The per-user store of the desktop (an ini file under ~/.config on Linux).
#pragma once

#include <QSettings>

#include "platform/settings_store.h"

namespace lumaret {

class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore() : settings_(QStringLiteral("Lumaret"), QStringLiteral("Lumaret")) {}
  explicit QtSettingsStore(const QString& iniFile) : settings_(iniFile, QSettings::IniFormat) {}

  std::optional<std::string> value(const std::string& key) const override;
  void setValue(const std::string& key, const std::string& value) override;

 private:
  QSettings settings_;
};

}  // namespace lumaret
