// Colours are 32-bit values laid out 0x00BBGGRR: red in the low byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumaret {

using Color = std::uint32_t;

constexpr Color RgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Color(red) | Color(green) << 8 | Color(blue) << 16;
}
constexpr std::uint8_t RedOf(Color c) {
  return std::uint8_t(c);
}
constexpr std::uint8_t GreenOf(Color c) {
  return std::uint8_t(c >> 8);
}
constexpr std::uint8_t BlueOf(Color c) {
  return std::uint8_t(c >> 16);
}

// "#" and six uppercase hexadecimal digits, red first: 0x0000FF gives "#FF0000".
std::string HtmlColor(Color c);

// Reads "#RRGGBB" (the "#" may be left out, any letter case).
std::optional<Color> ParseHtmlColor(std::string_view text);

}  // namespace lumaret
