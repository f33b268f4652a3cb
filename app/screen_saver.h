// Keeps the screen saver away while a show plays, through the desktop's
// org.freedesktop.ScreenSaver service; without one, it does nothing.
#pragma once

#include <cstdint>

namespace lumaret {

class ScreenSaverInhibitor {
 public:
  ScreenSaverInhibitor();
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  bool active() const { return active_; }

 private:
  bool active_ = false;
  std::uint32_t cookie_ = 0;
};

}  // namespace lumaret
