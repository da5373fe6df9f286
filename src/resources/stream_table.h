#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "resources/file_streams.h"
#include "vm/natives/native_support.h"
#include "vm/value.h"

namespace zunka {

// The streams a player's scripts hold, owned here and named by handle. Closing or
// freeing one destroys it, so its handle goes stale and later calls with it do
// nothing. Bounded: a script that opens files without closing them, or piles up
// binary records, is refused more rather than exhausting the host.
class StreamTable {
 public:
  static constexpr size_t kMostOpenFiles = 128;
  static constexpr size_t kMostBinaryRecords = 4096;
  // All binary records together hold at most this many bytes.
  static constexpr size_t kMostBinaryBytes = size_t(64) << 20;

  StreamTable() = default;
  // Writers still open are closed as if by their script: nothing they took is lost.
  ~StreamTable();
  StreamTable(const StreamTable&) = delete;
  StreamTable& operator=(const StreamTable&) = delete;

  // nullptr when the file cannot be opened or too many are open.
  TFileReader* OpenReader(std::string_view path);
  TFileWriter* OpenWriter(std::string_view path);
  // nullptr when there are too many records or too many bytes.
  TBinaryOutputStream* NewBinaryOutput();
  TBinaryInputStream* NewBinaryInput(std::string bytes);

  // Closes and destroys the stream. For a writer, whether its file was put in
  // place; true for every other kind.
  bool Close(TStream* stream);

  // Room for binary records: taken when they grow, given back when they go.
  bool TakeBinaryBytes(size_t count);
  void GiveBackBinaryBytes(size_t count) { binaryBytes_ -= count; }

  size_t openFiles() const { return openFiles_; }
  size_t size() const { return streams_.size(); }

 private:
  template <class T, class... Args>
  T* add(Args&&... args);

  std::map<uint32_t, std::unique_ptr<TStream>> streams_;
  size_t openFiles_ = 0;
  size_t binaryRecords_ = 0;
  size_t binaryBytes_ = 0;
};

// The stream of kind T a script value names, or nullptr (stale, forged, another
// family or another kind of stream).
template <class T>
T* StreamArg(const vm::TValue& v) {
  return dynamic_cast<T*>(vm::hostArg<TStream>(v));
}

// The current player's streams.
StreamTable& streamTable();

}  // namespace zunka
