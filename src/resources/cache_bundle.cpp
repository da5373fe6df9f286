#include "resources/cache_bundle.h"

#include "platform/files.h"
#include "resources/cache_files.h"
#include "resources/resources_state.h"

namespace zunka {
namespace {

// "ZKB1", then the number of files, then each file as the length and bytes of
// its path and the length and bytes of its content; lengths are 32-bit
// little-endian words.
constexpr std::string_view kMagic = "ZKB1";
constexpr uint64_t kLargestBundle = uint64_t(64) << 20;

void appendWord(std::string& out, uint32_t word) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((word >> (8 * i)) & 0xFF);
}

// Reads the next word of `in` from `at`; false when it runs out.
bool takeWord(std::string_view in, size_t& at, uint32_t& word) {
  if (in.size() - at < 4) return false;
  word = 0;
  for (int i = 0; i < 4; ++i) word |= uint32_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
  at += 4;
  return true;
}

// Reads the next length-prefixed field of `in` from `at`; false when it runs out.
bool takeField(std::string_view in, size_t& at, std::string_view& field) {
  uint32_t length = 0;
  if (!takeWord(in, at, length) || in.size() - at < length) return false;
  field = in.substr(at, length);
  at += length;
  return true;
}

}  // namespace

CacheBundle::CacheBundle(std::string path) : path_(std::move(path)) {
  if (!platform::readFile(path_, buffer_, kLargestBundle) || !read(buffer_)) entries_.clear();
}

CacheBundle::~CacheBundle() {
  Deactivate();
}

bool CacheBundle::read(std::string_view in) {
  if (!in.starts_with(kMagic)) return false;
  size_t at = kMagic.size();
  uint32_t files = 0;
  // Each file takes at least its two lengths.
  if (!takeWord(in, at, files) || files > (in.size() - at) / 8) return false;
  entries_.reserve(files);
  for (uint32_t i = 0; i < files; ++i) {
    Entry e;
    if (!takeField(in, at, e.path) || !takeField(in, at, e.bytes)) return false;
    entries_.push_back(e);
  }
  return at == in.size();
}

void CacheBundle::Activate() {
  if (active_) return;
  previous_ = resourcesState().cacheBundle;
  resourcesState().cacheBundle = this;
  active_ = true;
}

void CacheBundle::Deactivate() {
  if (!active_) return;
  if (resourcesState().cacheBundle == this) resourcesState().cacheBundle = previous_;
  active_ = false;
}

CacheBundle::Used& CacheBundle::use(std::string_view path) {
  for (Used& u : used_)
    if (u.path == path) return u;
  return used_.emplace_back(Used{std::string(path), {}, {}, false});
}

bool CacheBundle::serve(std::string_view path, std::string_view& bytes) {
  // A file read or written during this run is served as it is now.
  if (changed_) {
    for (const Used& u : used_)
      if (u.noted && u.path == path) {
        bytes = u.bytes;
        return true;
      }
  }
  // A start asks for the files in the order the last one did.
  for (size_t n = 0; n < entries_.size(); ++n) {
    Entry& e = entries_[(next_ + n) % entries_.size()];
    if (e.path != path) continue;
    next_ = (next_ + n + 1) % entries_.size();
    if (!e.served) used_.push_back(Used{std::string(path), e.bytes, {}, false});
    e.served = true;
    bytes = e.bytes;  // not noted since (that was served above)
    return true;
  }
  return false;
}

void CacheBundle::note(std::string_view path, std::string_view bytes) {
  Used& u = use(path);
  u.owned = bytes;
  u.bytes = u.owned;
  u.noted = true;
  changed_ = true;
}

std::string CacheBundle::encoded() const {
  std::string out(kMagic);
  appendWord(out, uint32_t(used_.size()));
  for (const Used& u : used_) {
    appendWord(out, uint32_t(u.path.size()));
    out += u.path;
    appendWord(out, uint32_t(u.bytes.size()));
    out += u.bytes;
  }
  return out;
}

bool CacheBundle::Save() {
  Deactivate();
  if (!changed_ && used_.size() == entries_.size()) return true;
  if (!WriteCacheFile(path_, encoded())) return false;
  changed_ = false;
  return true;
}

bool ReadCacheFile(std::string_view path, std::string& owned, std::string_view& bytes,
                   uint64_t largest) {
  CacheBundle* bundle = resourcesState().cacheBundle;
  if (bundle && bundle->serve(path, bytes) && bytes.size() <= largest) return true;
  if (!platform::readFile(path, owned, largest)) return false;
  bytes = owned;
  if (bundle) bundle->note(path, owned);
  return true;
}

}  // namespace zunka
