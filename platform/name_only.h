#pragma once

#include <string_view>

namespace lumaret {

// The file name of a path without its folder: what follows the last '/'.
inline std::string_view NameOnly(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace lumaret
