// Writes a file so that a failure never leaves a truncated file where a good
// one was: the bytes go to a temporary file beside the target, which replaces
// the target only once every byte is written and synced.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace lumaret {

class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Creates the temporary file for target. False when the target cannot be
  // created there (a missing or read-only folder, a folder of that name, ...)
  // or may not be replaced (see Refusal).
  bool open(const std::string& target);

  // Why an existing target may not be replaced — a folder, a device or pipe
  // (only regular files are written), a file the user may not write — or
  // empty when it may, or does not exist yet. Links are followed.
  static std::string refusal(const std::string& target);

  // Appends bytes. After the first failure every later write fails too and
  // commit() refuses, so a caller may test only at the end.
  bool write(std::string_view bytes);
  bool write(const void* data, std::size_t size) {
    return write(std::string_view(static_cast<const char*>(data), size));
  }

  // Bytes written so far: the position in the file.
  std::uint64_t position() const { return position_; }

  // Puts the finished file in place of the target. On failure the temporary
  // file is removed and an earlier target is left as it was.
  bool commit();

  // Drops the temporary file; the target is untouched.
  void discard();

  // The operating system's reason for the first failure.
  const std::string& reason() const { return reason_; }

  // The path that will be replaced (symbolic links resolved).
  const std::string& target() const { return target_; }

  // The temporary file, for a writer that must open it by name itself (a
  // muxer that seeks and reads back what it wrote); commit() syncs and puts
  // it in place all the same. Empty when not open.
  const std::string& temporaryPath() const { return tempPath_; }

 private:
  bool fail(int err);
  bool fail(const std::string& reason);

  std::FILE* file_ = nullptr;
  std::string target_;
  std::string tempPath_;
  std::string reason_;
  std::uint64_t position_ = 0;
  int signalSlot_ = -1;  // the temporary's place among those a signal removes
  bool failed_ = false;
};

}  // namespace lumaret
