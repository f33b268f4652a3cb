// The film sizes the window offers, and how the choice is kept in the user's
// settings: as "WxH", which stays right whatever the entries are called.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace lumaret {

struct FilmSizeChoice {
  const char* label;  // UTF-8
  int width;
  int height;
};

inline constexpr FilmSizeChoice kFilmSizeChoices[] = {
    {"720p", 1280, 720},
    {"1080p (Full HD)", 1920, 1080},
    {"1440p", 2560, 1440},
    {"4K (2160p)", 3840, 2160},
    {"Square 1080 \u00d7 1080", 1080, 1080},
    {"Portrait 1080 \u00d7 1920", 1080, 1920},
};
inline constexpr std::size_t kDefaultFilmSizeChoice = 1;

inline std::string FilmSizeValue(const FilmSizeChoice& choice) {
  return std::to_string(choice.width) + "x" + std::to_string(choice.height);
}

// The entry a kept value names; the default for none or one no longer offered.
inline std::size_t FilmSizeChoiceFor(const std::optional<std::string>& kept) {
  for (std::size_t k = 0; kept && k < std::size(kFilmSizeChoices); ++k)
    if (FilmSizeValue(kFilmSizeChoices[k]) == *kept)
      return k;
  return kDefaultFilmSizeChoice;
}

}  // namespace lumaret
