#include "resources/class_source.h"

#include <algorithm>

#include "resources/content_digest.h"
#include "resources/text_file.h"

namespace zunka {
namespace {

// Longer than any file clock's tick: one second on some file systems, two for
// modification times on FAT.
constexpr int64_t kSettleNs = int64_t(3) * 1000000000;

}  // namespace

bool StampIsSettled(const SourceStamp& stamp) {
  // Both times: a modification time set into the future is as doubtful as a recent change.
  int64_t lastChange = std::max(stamp.file.modifiedNs, stamp.file.changedNs);
  return lastChange <= stamp.takenNs - kSettleNs;
}

bool StampVouchesForText(const SourceStamp& recorded, const platform::FileStamp& now) {
  return recorded.file == now && StampIsSettled(recorded);
}

ClassSource ClassSource::OfFile(std::string path) {
  // The clock is read before the file's stamp: a write after the stamp was taken
  // is then stamped no earlier than that time, less one tick.
  int64_t takenNs = platform::wallClockNs();
  ClassSource source;
  source.fromFile_ = true;
  source.path_ = std::move(path);
  if (std::optional<platform::FileStamp> file =
          platform::readableFileStamp(source.path_, kLargestTextFile))
    source.stamp_ = SourceStamp{*file, takenNs};
  else
    source.text();
  return source;
}

std::string_view ClassSource::text() {
  if (!fromFile_) return given_;
  if (!read_) read_ = ReadTextFile(path_);
  return *read_;
}

uint64_t ClassSource::digest() {
  if (!digest_) digest_ = ContentDigest(text());
  return *digest_;
}

}  // namespace zunka
