#include "platform/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/cleanup_on_signal.h"
#include "platform/name_only.h"

namespace lumaret {

namespace {

// The permissions a newly created file would get.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writing through a symbolic link must update the file it points to, not
// replace the link with a plain file.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved))
    return resolved;
  return path;
}

// Why the resolved target may not be replaced, or empty; mode is set to the
// permissions the new file takes.
std::string CheckTarget(const std::string& target, mode_t& mode) {
  mode = NewFileMode();
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0)
    return {};
  if (S_ISDIR(st.st_mode))
    return std::strerror(EISDIR);
  // Renaming over a device or a pipe would replace the node itself (as root,
  // even /dev/null) instead of writing to it.
  if (!S_ISREG(st.st_mode))
    return "not a regular file";
  // A file the user may not write must not be replaced behind their back.
  if (::access(target.c_str(), W_OK) != 0)
    return std::strerror(errno);
  mode = st.st_mode & 07777;
  return {};
}

}  // namespace

SafeFileWriter::~SafeFileWriter() {
  discard();
}

bool SafeFileWriter::fail(int err) {
  return fail(std::string(std::strerror(err ? err : EIO)));
}

bool SafeFileWriter::fail(const std::string& reason) {
  if (!failed_) {
    failed_ = true;
    reason_ = reason;
  }
  return false;
}

std::string SafeFileWriter::refusal(const std::string& target) {
  mode_t mode;
  return CheckTarget(ResolveLink(target), mode);
}

bool SafeFileWriter::open(const std::string& target) {
  discard();
  failed_ = false;
  reason_.clear();
  position_ = 0;
  target_ = ResolveLink(target);

  mode_t mode;
  if (const std::string refusal = CheckTarget(target_, mode); !refusal.empty())
    return fail(refusal);

  std::string base(NameOnly(target_));
  const std::string folder = target_.substr(0, target_.size() - base.size());
  if (base.empty())
    return fail(EISDIR);
  base.resize(std::min<std::size_t>(base.size(), 200));  // room for the suffix in NAME_MAX
  std::string pattern = folder + "." + base + ".XXXXXX";

  const int fd = MakeRegisteredTemporary(pattern, signalSlot_);
  if (fd < 0)
    return fail(errno);
  tempPath_ = pattern;
  if (::fchmod(fd, mode) != 0 || !(file_ = ::fdopen(fd, "wb"))) {
    const int err = errno;
    ::close(fd);
    discard();
    return fail(err);
  }
  return true;
}

bool SafeFileWriter::write(std::string_view bytes) {
  if (!file_ || failed_)
    return false;
  if (bytes.empty())
    return true;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    return fail(errno);
  position_ += bytes.size();
  return true;
}

bool SafeFileWriter::commit() {
  if (!file_ || failed_) {
    discard();
    return false;
  }
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  if (!ok)
    fail(errno);
  if (ok && ::fsync(::fileno(file_)) != 0)
    ok = fail(errno);
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (ok && closed != 0)
    ok = fail(errno);
  if (ok && ::rename(tempPath_.c_str(), target_.c_str()) != 0)
    ok = fail(errno);
  if (!ok) {
    discard();
    return false;
  }
  ForgetTemporary(signalSlot_);
  signalSlot_ = -1;
  tempPath_.clear();
  return true;
}

void SafeFileWriter::discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    ForgetTemporary(signalSlot_);
    signalSlot_ = -1;
    tempPath_.clear();
  }
}

}  // namespace lumaret
