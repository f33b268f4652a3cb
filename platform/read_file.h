#pragma once

#include <cstddef>
#include <string>

namespace lumaret {

struct FileBytes {
  bool ok = false;
  bool tooLarge = false;  // the file holds more than the caller allowed
  std::string bytes;
  std::string reason;  // the operating system's reason when !ok
};

// Reads a whole file, but never more than maxBytes: memory use is bounded by
// the file's real size, also for devices and pipes that claim no size.
FileBytes ReadWholeFile(const std::string& path, std::size_t maxBytes);

}  // namespace lumaret
