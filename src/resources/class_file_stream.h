#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "vm/errors.h"

namespace zunka {

// The primitive records of class files: signed 32-bit little-endian integers, and
// strings stored as n = length + 1 followed by the bytes and a 0 byte.
class ClassFileWriter {
 public:
  void Int(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  void Str(std::string_view s) {
    Int(static_cast<int32_t>(s.size() + 1));
    bytes_.append(s);
    bytes_ += '\0';
  }
  void Strings(const std::vector<std::string>& list) {
    Int(static_cast<int32_t>(list.size()));
    for (const std::string& s : list) Str(s);
  }
  void Raw(const void* data, size_t n) { bytes_.append(static_cast<const char*>(data), n); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads a class file that may be truncated or forged: every length and count is
// checked against the bytes that remain before anything is allocated, and a
// violation raises `brokenMessage`.
class ClassFileReader {
 public:
  ClassFileReader(std::string_view bytes, std::string brokenMessage)
      : bytes_(bytes), broken_(std::move(brokenMessage)) {}

  int32_t Int() {
    need(4);
    uint32_t u = 0;
    // Class files hold dozens of integers per block: on a little-endian host the
    // record is the integer's own bytes, read in one load rather than byte by byte.
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&u, bytes_.data() + pos_, 4);
    } else {
      for (int i = 0; i < 4; ++i)
        u |= uint32_t(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    }
    pos_ += 4;
    return static_cast<int32_t>(u);
  }
  // A count of items each taking at least `minItemBytes` bytes.
  size_t Count(size_t minItemBytes) {
    int32_t n = Int();
    if (n < 0 || size_t(n) * minItemBytes > remaining()) fail();
    return size_t(n);
  }
  std::string Str() { return std::string(View()); }
  // The same string, in the bytes being read: valid while they are. Most strings
  // are looked up or interned, not kept, and need no copy of their own.
  std::string_view View() {
    int32_t n = Int();
    if (n < 1 || size_t(n) > remaining()) fail();
    std::string_view raw = bytes_.substr(pos_, size_t(n));
    pos_ += size_t(n);
    return raw.substr(0, raw.find('\0'));
  }
  std::vector<std::string> Strings() {
    size_t n = Count(kMinStringBytes);
    std::vector<std::string> list;
    list.reserve(n);
    for (size_t i = 0; i < n; ++i) list.emplace_back(View());
    return list;
  }
  std::string_view Raw(size_t n) {
    need(n);
    std::string_view raw = bytes_.substr(pos_, n);
    pos_ += n;
    return raw;
  }
  size_t remaining() const { return bytes_.size() - pos_; }
  [[noreturn]] void fail() const { throw EError(broken_); }

  static constexpr size_t kMinStringBytes = 5;

 private:
  void need(size_t n) const {
    if (n > remaining()) fail();
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  std::string broken_;
};

}  // namespace zunka
