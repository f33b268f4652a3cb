// Builds project file bytes field by field, independently of the writer.
#pragma once

#include <cstdint>
#include <string>

namespace lumaret::testing {

// The settings block, field by field, at the program's defaults.
struct StoredSettings {
  std::uint8_t showPdf = 1;
  std::int32_t fade = 1000, stop = 3000;
  std::uint32_t background = 0xFFFFFF, border = 0, textColor = 0x00FFFF;
  std::int32_t x = 2, y = 95, font = 40;
  std::uint8_t bleeding = 1, fullScreen = 0;
};

class ProjectBytes {
 public:
  ProjectBytes& u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes_ += char(v >> (8 * i) & 0xFF);
    return *this;
  }
  ProjectBytes& i32(std::int32_t v) { return u32(std::uint32_t(v)); }
  ProjectBytes& byte(std::uint8_t v) {
    bytes_ += char(v);
    return *this;
  }
  ProjectBytes& text(const std::string& s) {
    i32(std::int32_t(s.size()));
    bytes_ += s;
    return *this;
  }
  ProjectBytes& header(std::int32_t count) { return u32(52653).i32(count); }
  ProjectBytes& entry(const std::string& name, const std::string& caption) {
    return text(name).text(caption);
  }

  using Settings = StoredSettings;
  ProjectBytes& settings(const Settings& s = {}) {
    return byte(s.showPdf)
        .i32(s.fade)
        .i32(s.stop)
        .u32(s.background)
        .u32(s.border)
        .u32(s.textColor)
        .i32(s.x)
        .i32(s.y)
        .i32(s.font)
        .byte(s.bleeding)
        .byte(s.fullScreen);
  }

  const std::string& str() const { return bytes_; }
  operator const std::string&() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace lumaret::testing
