#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "screen/pattern_sheet.h"

namespace zunka {

// Cut sheets by file name, each kept until its file changes.
class TPatCache {
 public:
  // The sheet of `file` (a system path), cut now when it is not cached or the
  // file changed since. A file that cannot be read as a picture is reported
  // (message box) and `placeholder` is cut in its place.
  TPatRects& Cut(const std::string& file, const std::string& placeholder);
  size_t cuts() const { return cuts_; }  // sheets cut so far (not found in the cache)

 private:
  std::map<std::string, std::unique_ptr<TPatRects>> sets_;
  size_t cuts_ = 0;
};

// The sheets in use, in order: pattern number g is picture g − s of the sheet
// whose earlier sheets hold s pictures. A sheet may appear more than once.
class TPatternList {
 public:
  static constexpr size_t kUsableSets = 201;  // sets 0 to 200

  void Append(TPatRects& set) { sets_.push_back(&set); }
  int32_t Total() const;
  // The sheet and picture of number `g`; false for a negative number or one at or
  // past the total. A sheet past the usable range shows its index and "??" first.
  bool Resolve(int32_t g, TPatRects*& set, int32_t& index) const;
  // Width and height of picture `g`, (0, 0) for none.
  std::pair<int32_t, int32_t> PatternSize(int32_t g) const;
  // Drops the sheet that holds picture `n` and every later one; nothing when `n`
  // names no picture (0 empties the list).
  void TruncateAt(int32_t n);
  size_t setCount() const { return sets_.size(); }

 private:
  std::vector<TPatRects*> sets_;
};

}  // namespace zunka
