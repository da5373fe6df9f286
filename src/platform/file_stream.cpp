#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/files.h"

namespace zunka::platform {

bool InputFile::open(std::string_view path) {
  close();
  // Opened without waiting (a FIFO would block the player for good) and judged on
  // what was opened, not on a name that may change in between: only a regular
  // file within the general bound is read.
  int fd = ::open(hostPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      uint64_t(st.st_size) > kLargestReadFile) {
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, "rb");
  if (!file_) ::close(fd);
  left_ = uint64_t(st.st_size);
  return file_ != nullptr;
}

size_t InputFile::read(char* into, size_t count) {
  // A file that grows while read ends where it ended when opened.
  if (!file_) return 0;
  size_t n = std::fread(into, 1, size_t(std::min<uint64_t>(count, left_)), file_);
  left_ -= n;
  return n;
}

void InputFile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

namespace {

// The permissions a new file gets here: what the process's mask allows of 0666.
mode_t newFileMode() {
  mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool ReplacementFile::open(std::string_view path) {
  abandon();
  target_ = hostPath(path);
  // A name of its own for every writer, so that two writers of one target never
  // share a partial file.
  std::string pattern = target_ + ".partXXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  struct stat st;
  mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();
  ::fchmod(fd, mode);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return false;
  }
  partial_ = pattern;
  failed_ = false;
  return true;
}

bool ReplacementFile::write(const char* bytes, size_t count) {
  if (!file_ || failed_) return false;
  if (std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
  return !failed_;
}

bool ReplacementFile::commit() {
  if (!file_) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) ok = std::rename(partial_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(partial_.c_str());
  partial_.clear();
  return ok;
}

void ReplacementFile::abandon() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  ::unlink(partial_.c_str());
  partial_.clear();
}

}  // namespace zunka::platform
