#include "screen/pattern_list.h"

#include "platform/files.h"
#include "vm/console.h"

namespace zunka {
namespace {

// A pattern sheet is a picture of a few hundred patterns; 64 MiB holds an
// uncompressed one of 4096 x 4096 pixels, far beyond the game area.
constexpr uint64_t kLargestPatternSheet = uint64_t(64) << 20;

// Something to draw when not even the placeholder picture can be read.
platform::Image missingPicture() {
  platform::Image image;
  image.width = image.height = 16;
  image.pixels.assign(16 * 16, 0xFFFF00FFu);
  return image;
}

platform::Image readPicture(const std::string& file, const std::string& placeholder) {
  std::string bytes, error;
  if (platform::readFile(file, bytes, kLargestPatternSheet)) {
    if (std::optional<platform::Image> image = platform::decodeImage(bytes, error))
      return std::move(*image);
  } else {
    error = "cannot be read";
  }
  LogError(file + ":" + error, {}, true);
  if (placeholder.empty() || !platform::readFile(placeholder, bytes, kLargestPatternSheet))
    return missingPicture();
  std::optional<platform::Image> image = platform::decodeImage(bytes, error);
  return image ? std::move(*image) : missingPicture();
}

}  // namespace

TPatRects& TPatCache::Cut(const std::string& file, const std::string& placeholder) {
  int64_t age = platform::fileAge(file);
  auto found = sets_.find(file);
  if (found != sets_.end()) {
    if (found->second->fileAge == age) return *found->second;
    sets_.erase(found);
  }
  auto set = std::make_unique<TPatRects>();
  set->fileAge = age;
  set->surface = readPicture(file, placeholder);
  CutSheet(*set);
  ++cuts_;
  return *sets_.emplace(file, std::move(set)).first->second;
}

int32_t TPatternList::Total() const {
  int64_t total = 0;
  for (const TPatRects* set : sets_) total += int64_t(set->elems.size());
  return int32_t(std::min<int64_t>(total, INT32_MAX));
}

bool TPatternList::Resolve(int32_t g, TPatRects*& set, int32_t& index) const {
  if (g < 0) return false;
  int64_t start = 0;
  for (size_t k = 0; k < sets_.size(); ++k) {
    int64_t count = int64_t(sets_[k]->elems.size());
    if (g < start + count) {
      if (k >= kUsableSets) LogError(std::to_string(k) + "??", {}, true);
      set = sets_[k];
      index = int32_t(g - start);
      return true;
    }
    start += count;
  }
  return false;
}

std::pair<int32_t, int32_t> TPatternList::PatternSize(int32_t g) const {
  TPatRects* set = nullptr;
  int32_t index = 0;
  if (!Resolve(g, set, index)) return {0, 0};
  const TPatElem& e = set->elems[size_t(index)];
  return {e.width(), e.height()};
}

void TPatternList::TruncateAt(int32_t n) {
  if (n < 0) return;
  int64_t start = 0;
  for (size_t k = 0; k < sets_.size(); ++k) {
    int64_t count = int64_t(sets_[k]->elems.size());
    if (n < start + count) {
      sets_.resize(k);
      return;
    }
    start += count;
  }
}

}  // namespace zunka
