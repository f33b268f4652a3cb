// Whether two paths name one file, however they are spelled.
#pragma once

#include <string>

namespace lumaret {

// True when a and b are the same file: the same device and inode, through
// links, other spellings and hard links. A path that does not exist is never
// the same file as another.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace lumaret
