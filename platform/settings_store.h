// Values kept for the user between runs, such as a window's last size.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace lumaret {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Keys are paths such as "PrintWindow/Width".
  virtual std::optional<std::string> value(const std::string& key) const = 0;
  virtual void setValue(const std::string& key, const std::string& value) = 0;
};

// Keeps the values in memory only: for tests and for runs that must not touch
// the user's store.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> value(const std::string& key) const override {
    const auto it = values.find(key);
    if (it == values.end())
      return std::nullopt;
    return it->second;
  }
  void setValue(const std::string& key, const std::string& value) override { values[key] = value; }

  std::map<std::string, std::string> values;
};

}  // namespace lumaret
