#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lumaret::cli {

// A whole decimal number within [min, max]; nullopt otherwise.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text, std::int64_t min,
                                             std::int64_t max);

}  // namespace lumaret::cli
