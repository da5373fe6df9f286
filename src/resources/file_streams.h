#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_stream.h"
#include "vm/host_object.h"

namespace zunka {

class StreamTable;

// What scripts read and write through stream handles: buffered file readers and
// writers, and binary records built and parsed in memory. Every kind shares the
// handle family Stream; natives tell them apart by their class (StreamArg).
class TStream : public vm::HostObject {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Stream;
  TStream() : HostObject(kHostKind) {}
};

// A file read through a 4096-byte buffer, refilled whenever it has been read to
// its end. End of input: no unread byte remains.
class TFileReader : public TStream {
 public:
  static constexpr size_t kBufferBytes = 4096;
  // A line longer than this is cut there; the rest reads as the next line.
  static constexpr size_t kLongestLine = size_t(16) << 20;

  const char* hostClassName() const override { return "TFileReader"; }

  bool Open(std::string_view path);
  bool AtEnd() const { return position_ >= count_; }
  // The next byte (0-255), or -1 at the end.
  int Read();
  // Copies up to `count` bytes; gives how many.
  size_t Read(char* into, size_t count);
  // The bytes up to the next LF, without it and without any CR; false when no
  // byte could be read.
  bool ReadLine(std::string& line);

 private:
  void Fill();

  platform::InputFile file_;
  char buffer_[kBufferBytes];
  size_t count_ = 0;     // bytes in the buffer
  size_t position_ = 0;  // the next one to read
};

// A file written through a 4096-byte buffer. The bytes go to a partial file
// beside the target, which replaces the target only when Close() succeeds, so a
// crash or a full disk never leaves half a file behind.
class TFileWriter : public TStream {
 public:
  static constexpr size_t kBufferBytes = 4096;
  // A writer that would make a file larger than this fails (and changes nothing).
  static constexpr uint64_t kLargestFile = uint64_t(256) << 20;

  const char* hostClassName() const override { return "TFileWriter"; }

  bool Open(std::string_view path);
  void Write(uint8_t byte);
  void Write(std::string_view bytes);
  // Writes what is buffered and puts the file in place; false when anything
  // failed on the way (the target then is as it was before).
  bool Close();
  const std::string& path() const { return path_; }

 private:
  void Flush();

  platform::ReplacementFile file_;
  std::string path_;
  char buffer_[kBufferBytes];
  size_t fill_ = 0;
  uint64_t written_ = 0;
  bool failed_ = false;
};

// A binary record being built: bytes appended, then taken as a whole.
class TBinaryOutputStream : public TStream {
 public:
  explicit TBinaryOutputStream(StreamTable& table) : table_(table) {}
  ~TBinaryOutputStream() override;
  const char* hostClassName() const override { return "TBinaryOutputStream"; }

  // Appends v as 4 little-endian bytes; false when the table's room is spent.
  bool WriteInt(int32_t v);
  const std::string& bytes() const { return bytes_; }

 private:
  StreamTable& table_;
  std::string bytes_;
  size_t room_ = 0;  // the bytes taken from the table's room
};

// A binary record being read: 4-byte little-endian integers from the start;
// bytes past the end read as 0.
class TBinaryInputStream : public TStream {
 public:
  TBinaryInputStream(StreamTable& table, std::string bytes);
  ~TBinaryInputStream() override;
  const char* hostClassName() const override { return "TBinaryInputStream"; }

  int32_t ReadInt();

 private:
  StreamTable& table_;
  std::string bytes_;
  size_t position_ = 0;
};

// Little-endian 32-bit integers.
void AppendInt32(std::string& bytes, int32_t v);
int32_t Int32At(const char* at);

}  // namespace zunka
