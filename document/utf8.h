#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace lumaret {

struct Utf8Char {
  char32_t code;
  std::size_t length;  // bytes
};

// The character whose UTF-8 sequence starts at text[at]; nullopt when the
// bytes there are not a valid, shortest-form sequence.
std::optional<Utf8Char> DecodeUtf8(std::string_view text, std::size_t at);

bool IsValidUtf8(std::string_view text);

}  // namespace lumaret
