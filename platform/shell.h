#pragma once

#include <string>
#include <vector>

namespace lumaret {

// The system's document opener: shows a file or an address with the program
// the user chose for its type.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void openDocument(const std::string& pathOrAddress) = 0;
};

// For tests: remembers what would have been opened.
class RecordingShell : public Shell {
 public:
  void openDocument(const std::string& pathOrAddress) override { opened.push_back(pathOrAddress); }
  std::vector<std::string> opened;
};

// The folder for temporary files: $TMPDIR, else /tmp. Never ends with "/".
std::string TempFolder();

}  // namespace lumaret
