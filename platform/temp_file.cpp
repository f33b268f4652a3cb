#include "platform/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace lumaret {

std::string TempFileName(const std::string& folder, std::string_view prefix,
                         std::string_view extension) {
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (int n = 0; n < 1000000; ++n) {
    const std::string path =
        base + std::string(prefix) + std::to_string(n) + std::string(extension);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST)
      return {};
  }
  return {};
}

std::string ShortPathOf(const std::string& path) {
  return path;
}

}  // namespace lumaret
