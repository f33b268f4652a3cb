#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lumaret::cli {

// A whole decimal number within [min, max]; nullopt otherwise.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text, std::int64_t min,
                                             std::int64_t max);

struct FlagsAndOperands {
  std::set<std::string> flags;
  std::vector<std::string> operands;
};

// The arguments of a command whose options take no value, read as make reads
// its own: an option ("--" and a name) may stand anywhere, and "--" makes all
// that follows operands. nullopt after a usage message for an option not in
// known or one given a value.
std::optional<FlagsAndOperands> SplitFlags(const std::vector<std::string>& args,
                                           std::initializer_list<std::string_view> known);

}  // namespace lumaret::cli
