#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace zunka {

// A source file's stamp and the wall-clock time it was taken at, just before the
// file was read.
struct SourceStamp {
  platform::FileStamp file;
  int64_t takenNs = 0;
  bool operator==(const SourceStamp&) const = default;
};

// Whether a file whose stamp is `now` still holds the text that was read after
// `recorded` was taken: the stamps agree, and the file had last changed some
// seconds before `recorded` was taken. File clocks tick coarsely (every few
// milliseconds, or whole seconds on some file systems), so a write in the same
// tick as the stamp can leave it as it was; a file already older than a tick
// cannot be rewritten without its change time moving.
bool StampVouchesForText(const SourceStamp& recorded, const platform::FileStamp& now);
// Whether `stamp` would vouch for its text as long as the file keeps that stamp.
bool StampIsSettled(const SourceStamp& stamp);

// The text a class compiles from: given by the caller, or read from the class's
// source file only when something needs it, so that a class file its source's
// stamp vouches for is loaded without the source being read at all.
class ClassSource {
 public:
  // Text the caller has made or read itself; it carries no stamp, so its digest
  // alone tells whether a class file was made from it.
  explicit ClassSource(std::string_view text) : given_(text) {}
  // Text the caller read from a file after taking the file's stamp.
  ClassSource(std::string_view text, const SourceStamp& stamp) : given_(text), stamp_(stamp) {}
  // The text file at `path` (a system path), stamped now and read on first use.
  // A file that cannot be stamped (missing, not a regular file, too large,
  // closed to this user) is read at once, so that ReadTextFile reports it as
  // it would any text file, and raises.
  static ClassSource OfFile(std::string path);

  // The file's stamp as it was before the text was read; none for given text.
  const std::optional<SourceStamp>& stamp() const { return stamp_; }
  // The text, as ReadTextFile gives it; a file is read the first time (which
  // raises, after reporting, when the file can no longer be read).
  std::string_view text();
  // ContentDigest of the text.
  uint64_t digest();
  // Whether the text of a file has been read (given text always counts as read).
  bool wasRead() const { return !fromFile_ || read_.has_value(); }

 private:
  ClassSource() = default;

  bool fromFile_ = false;
  std::string path_;
  std::string_view given_;
  std::optional<std::string> read_;
  std::optional<SourceStamp> stamp_;
  std::optional<uint64_t> digest_;
};

}  // namespace zunka
