#include "document/utf8.h"

namespace lumaret {

std::optional<Utf8Char> DecodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t extra;
  char32_t min;
  if (lead < 0x80)
    return Utf8Char{lead, 1};
  if ((lead & 0xE0) == 0xC0)
    extra = 1, min = 0x80;
  else if ((lead & 0xF0) == 0xE0)
    extra = 2, min = 0x800;
  else if ((lead & 0xF8) == 0xF0)
    extra = 3, min = 0x10000;
  else
    return std::nullopt;
  if (at + extra >= text.size())
    return std::nullopt;
  char32_t code = lead & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80)
      return std::nullopt;
    code = code << 6 | (byte(at + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return std::nullopt;
  return Utf8Char{code, extra + 1};
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = DecodeUtf8(text, i);
    if (!c)
      return false;
    i += c->length;
  }
  return true;
}

}  // namespace lumaret
