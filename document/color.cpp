#include "document/color.h"

#include <cstdio>

namespace lumaret {

std::string HtmlColor(Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(c), GreenOf(c), BlueOf(c));
  return text;
}

std::optional<Color> ParseHtmlColor(std::string_view text) {
  if (!text.empty() && text.front() == '#')
    text.remove_prefix(1);
  if (text.size() != 6)
    return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    rgb = rgb << 4 | std::uint32_t(digit);
  }
  return RgbColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

}  // namespace lumaret
