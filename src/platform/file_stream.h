#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Files read and written a piece at a time, by system path (see files.h).
namespace zunka::platform {

// A file read from its start to its end.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False when the path names no regular file that can be read, or one larger than
  // kLargestReadFile (files.h). The file is read up to the size it had when opened.
  bool open(std::string_view path);
  // Up to `count` bytes into `into`; fewer only at the end (or after a failure).
  size_t read(char* into, size_t count);
  void close();
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  uint64_t left_ = 0;
};

// A file written whole or not at all. The bytes go to a partial file beside the
// target, which takes the target's place only when commit() succeeds; until then
// (a crash, a full disk, a write that failed) the target stays as it was. A file
// dropped without commit() is abandoned and its partial file removed.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { abandon(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Makes the partial file for the target `path`; false when it cannot.
  bool open(std::string_view path);
  // False once any write has failed.
  bool write(const char* bytes, size_t count);
  // Flushes, closes and renames the partial file over the target; false when any
  // step (or an earlier write) failed, and the target is then unchanged.
  bool commit();
  void abandon();
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  std::string partial_;
  std::string target_;
  bool failed_ = false;
};

}  // namespace zunka::platform
