#include "resources/file_streams.h"

#include <algorithm>
#include <cstring>

#include "resources/stream_table.h"

namespace zunka {

void AppendInt32(std::string& bytes, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(u >> shift & 0xFF));
}

int32_t Int32At(const char* at) {
  const auto* b = reinterpret_cast<const unsigned char*>(at);
  return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                              uint32_t(b[3]) << 24);
}

bool TFileReader::Open(std::string_view path) {
  count_ = position_ = 0;
  if (!file_.open(path)) return false;
  Fill();
  return true;
}

void TFileReader::Fill() {
  count_ = file_.read(buffer_, kBufferBytes);
  position_ = 0;
}

int TFileReader::Read() {
  if (AtEnd()) return -1;
  unsigned char b = static_cast<unsigned char>(buffer_[position_++]);
  // Only a full buffer read to its end can have more behind it.
  if (position_ == kBufferBytes) Fill();
  return b;
}

size_t TFileReader::Read(char* into, size_t count) {
  size_t copied = 0;
  while (copied < count && !AtEnd()) {
    size_t n = std::min(count - copied, count_ - position_);
    std::memcpy(into + copied, buffer_ + position_, n);
    copied += n;
    position_ += n;
    if (position_ == kBufferBytes) Fill();
  }
  return copied;
}

bool TFileReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  while (!AtEnd() && line.size() < kLongestLine) {
    int b = Read();
    if (b == '\n') break;
    if (b != '\r') line.push_back(static_cast<char>(b));
  }
  return true;
}

bool TFileWriter::Open(std::string_view path) {
  path_ = std::string(path);
  fill_ = 0;
  written_ = 0;
  failed_ = !file_.open(path);
  return !failed_;
}

void TFileWriter::Write(uint8_t byte) {
  if (fill_ == kBufferBytes) Flush();
  buffer_[fill_++] = static_cast<char>(byte);
}

void TFileWriter::Write(std::string_view bytes) {
  for (char c : bytes) Write(static_cast<uint8_t>(c));
}

void TFileWriter::Flush() {
  written_ += fill_;
  if (written_ > kLargestFile) failed_ = true;
  if (!failed_ && fill_ > 0 && !file_.write(buffer_, fill_)) failed_ = true;
  fill_ = 0;
}

bool TFileWriter::Close() {
  Flush();
  if (failed_) {
    file_.abandon();
    return false;
  }
  return file_.commit();
}

TBinaryOutputStream::~TBinaryOutputStream() {
  table_.GiveBackBinaryBytes(room_);
}

bool TBinaryOutputStream::WriteInt(int32_t v) {
  if (bytes_.size() + 4 > room_) {
    // Grown as the record grows: from 128 bytes to twice the room and one more.
    size_t wanted = room_ == 0 ? 128 : room_ * 2 + 1;
    if (!table_.TakeBinaryBytes(wanted - room_)) return false;
    room_ = wanted;
    bytes_.reserve(room_);
  }
  AppendInt32(bytes_, v);
  return true;
}

TBinaryInputStream::TBinaryInputStream(StreamTable& table, std::string bytes)
    : table_(table), bytes_(std::move(bytes)) {}

TBinaryInputStream::~TBinaryInputStream() {
  table_.GiveBackBinaryBytes(bytes_.size());
}

int32_t TBinaryInputStream::ReadInt() {
  char four[4] = {0, 0, 0, 0};
  for (char& b : four)
    if (position_ < bytes_.size()) b = bytes_[position_++];
  return Int32At(four);
}

}  // namespace zunka
