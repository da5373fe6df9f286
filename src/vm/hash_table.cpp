#include "vm/hash_table.h"

#include <cstring>
#include <string_view>

#include "vm/arena.h"
#include "vm/errors.h"
#include "vm/string_bytes.h"
#include "vm/tfstring.h"

namespace zunka::vm {
namespace {

uint32_t mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  return uint32_t(x);
}

uint64_t load64(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}
uint32_t load32(const char* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

// The index hash of a string key, taken on every lookup: eight bytes at a time,
// the last (partial) word read so that it ends with the text, and short texts
// read as two overlapping halves. Only the index sees it, so it may change freely
// (the buckets, which scripts see, keep hashOf).
uint32_t bytesHash(std::string_view bytes) {
  const char* p = bytes.data();
  const size_t n = bytes.size();
  uint64_t h = uint64_t(n) * 0x9E3779B97F4A7C15ull;
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8) h = (h ^ load64(p + i)) * 0xFF51AFD7ED558CCDull;
    h ^= load64(p + n - 8);
  } else if (n >= 4) {
    h ^= uint64_t(load32(p)) << 32 | load32(p + n - 4);
  } else if (n > 0) {
    h ^= uint64_t(uint8_t(p[0])) << 16 | uint64_t(uint8_t(p[n / 2])) << 8 | uint8_t(p[n - 1]);
  }
  return mix(h * 0xC4CEB9FE1A85EC53ull);
}

}  // namespace

TAbstractHashtable::TAbstractHashtable(bool light)
    : HostObject(HostKind::HashTable), light_(light) {}

TAbstractHashtable::~TAbstractHashtable() {
  clear();
}

void TAbstractHashtable::clear() {
  std::vector<Entry> entries;
  entries.swap(entries_);
  Arena::refundHost(entries.size() * kEntryBytes);
  for (auto& bucket : buckets_) {
    // A broken count (a table freed after the records it names, at exit) must not
    // keep the rest of the table alive; nor cost an exception or a text per entry.
    for (uint32_t id : bucket) {
      for (TValue* v : {&entries[id].key, &entries[id].value})
        if (v->kind == vtObject) releaseQuietly(*v);
    }
    bucket.clear();
  }
  free_.clear();
  index_.clear();
  indexFilled_ = 0;
}

uint32_t TAbstractHashtable::hashOf(const TValue& key) const {
  std::string_view text;
  if (!light_ && stringBytesInline(key, text)) {
    uint32_t h = 0;
    for (unsigned char c : text) h = (h - uint32_t(c) * 385764491u) & 0x3FFFFFFF;
    return h;
  }
  return (key.ref * 0xE3835E85u - uint32_t(key.kind) * 385764491u) & 0x3FFFFFFF;
}

bool TAbstractHashtable::indexable(const TValue& key, uint32_t& hash) const {
  if (light_) {
    hash = mix(uint64_t(key.kind) << 32 | key.ref);
    return true;
  }
  std::string_view text;
  if (stringBytesInline(key, text)) {
    hash = bytesHash(text);
    return true;
  }
  if (key.kind == vtInt && stringKeys_ == 0 && floatKeys_ == 0) {
    hash = mix(uint64_t(uint32_t(key.i)) | uint64_t(1) << 40);
    return true;
  }
  return false;
}

bool TAbstractHashtable::sameKey(const Entry& e, const TValue& key) const {
  return light_ ? e.key.sameBits(key) : compare(e.key, key) == 0;
}

int64_t TAbstractHashtable::scanBucket(const TValue& key, int bucket) const {
  const auto& ids = buckets_[size_t(bucket)];
  for (uint32_t id : ids)
    if (sameKey(entries_[id], key)) return id;
  return -1;
}

int TAbstractHashtable::bucketOf(const TValue& key) const {
  int bucket = int(hashOf(key) / ((1u << 30) / kBuckets));
  return bucket < kBuckets ? bucket : 0;
}

// The bucket is worked out only for a scan: where the index decides, a lookup
// never walks a string key's text twice.
int64_t TAbstractHashtable::find(const TValue& key) const {
  uint32_t hash = 0;
  if (index_.empty() || !indexable(key, hash)) return scanBucket(key, bucketOf(key));
  return probeIndex(key, hash);
}

template <class Matches>
[[gnu::always_inline]] inline int64_t TAbstractHashtable::probe(uint32_t hash,
                                                                Matches matches) const {
  const size_t mask = index_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint32_t at = index_[slot];
    if (at == kEmpty) return -1;
    if (at == kGone) continue;
    const Entry& e = entries_[at - 1];
    if (e.indexHash == hash && matches(e)) return at - 1;
  }
}

int64_t TAbstractHashtable::probeIndex(const TValue& key, uint32_t hash) const {
  std::string_view text;
  if (!light_ && stringBytesInline(key, text)) return probeText(key, text, hash);
  return probe(hash, [&](const Entry& e) { return sameKey(e, key); });
}

// A string key of a plain table: only string keys can equal it in the index (an
// indexed integer never does), their texts compared in place.
int64_t TAbstractHashtable::probeText(const TValue& key, std::string_view text,
                                      uint32_t hash) const {
  return probe(hash, [&](const Entry& e) {
    // The very record stored is the everyday case (a key kept and looked up
    // again): equal to itself without reading its text.
    if (e.key.sameBits(key)) return true;
    std::string_view stored;
    return stringBytesInline(e.key, stored) ? stored == text : compare(e.key, key) == 0;
  });
}

void TAbstractHashtable::growIndex() {
  std::vector<uint32_t> old;
  old.swap(index_);
  size_t live = 0;
  for (uint32_t at : old) live += at != kEmpty && at != kGone;
  size_t capacity = 16;
  while (capacity < (live + 1) * 2) capacity *= 2;
  index_.assign(capacity, kEmpty);
  indexFilled_ = 0;
  for (uint32_t at : old)
    if (at != kEmpty && at != kGone) {
      size_t mask = capacity - 1;
      size_t slot = entries_[at - 1].indexHash & mask;
      while (index_[slot] != kEmpty) slot = (slot + 1) & mask;
      index_[slot] = at;
      ++indexFilled_;
    }
}

void TAbstractHashtable::indexInsert(uint32_t id) {
  Entry& e = entries_[id];
  e.indexed = indexable(e.key, e.indexHash);
  if (e.indexed) indexInsertHashed(id);
}

void TAbstractHashtable::indexInsertHashed(uint32_t id) {
  const Entry& e = entries_[id];
  if ((indexFilled_ + 1) * 4 > index_.size() * 3) growIndex();
  size_t mask = index_.size() - 1;
  size_t slot = e.indexHash & mask;
  while (index_[slot] != kEmpty && index_[slot] != kGone) slot = (slot + 1) & mask;
  if (index_[slot] == kEmpty) ++indexFilled_;
  index_[slot] = id + 1;
}

void TAbstractHashtable::indexErase(uint32_t id) {
  Entry& e = entries_[id];
  if (!e.indexed || index_.empty()) return;
  size_t mask = index_.size() - 1;
  for (size_t slot = e.indexHash & mask;; slot = (slot + 1) & mask) {
    if (index_[slot] == kEmpty) return;
    if (index_[slot] == id + 1) {
      index_[slot] = kGone;
      e.indexed = false;
      return;
    }
  }
}

// Integer keys are indexed only while no string or float key could equal them:
// the first such key makes every integer key go back to its bucket scan, and
// integer keys are indexed again when the last one goes.
void TAbstractHashtable::countKind(const TValue& key, int delta) {
  if (light_) return;
  bool before = stringKeys_ == 0 && floatKeys_ == 0;
  std::string_view text;
  if (stringBytesInline(key, text))
    stringKeys_ += delta;
  else if (key.kind == vtFloat)
    floatKeys_ += delta;
  else
    return;
  bool after = stringKeys_ == 0 && floatKeys_ == 0;
  if (before == after) return;
  for (auto& bucket : buckets_)
    for (uint32_t id : bucket)
      if (entries_[id].key.kind == vtInt) {
        if (after)
          indexInsert(id);
        else
          indexErase(id);
      }
}

TValue TAbstractHashtable::get(const TValue& key) {
  if (key.kind == vtInt && !light_ && stringKeys_ == 0 && floatKeys_ == 0 && !index_.empty()) {
    // The scripts' everyday lookup, without the general comparison: while no
    // string or float key could equal an integer, every indexed entry whose hash
    // matches has an integer key (other kinds are never indexed), and only the
    // same integer equals it.
    const uint32_t hash = mix(uint64_t(uint32_t(key.i)) | uint64_t(1) << 40);
    const int64_t id =
        probe(hash, [&](const Entry& e) { return e.key.kind == vtInt && e.key.i == key.i; });
    return id < 0 ? TValue{} : entries_[size_t(id)].value;
  }
  return getOther(key);
}

// Every lookup but the integer one above, kept apart so that the everyday one
// saves no more registers than it uses.
TValue TAbstractHashtable::getOther(const TValue& key) const {
  std::string_view text;
  if (!light_ && !index_.empty() && stringBytesInline(key, text)) {
    // A string key is decided by the index (only string keys can equal it there:
    // an indexed integer never does), its text hashed once and compared in place.
    const int64_t id = probeText(key, text, bytesHash(text));
    return id < 0 ? TValue{} : entries_[size_t(id)].value;
  }
  int64_t id = find(key);
  return id < 0 ? TValue{} : entries_[size_t(id)].value;
}

void TAbstractHashtable::put(const TValue& key, const TValue& value) {
  if (index_.empty()) growIndex();
  // The key's index hash is taken once: a new entry goes into the index under it
  // (counting the new key changes no verdict: a string key is always indexed, an
  // integer key counts for nothing).
  uint32_t hash = 0;
  const bool indexed = indexable(key, hash);
  int64_t found = indexed ? probeIndex(key, hash) : scanBucket(key, bucketOf(key));
  if (found >= 0) {
    // The given key replaces the stored one even when they were only equal.
    Entry& e = entries_[size_t(found)];
    indexErase(uint32_t(found));
    countKind(e.key, -1);
    assign(e.key, &key);
    assign(e.value, &value);
    countKind(e.key, +1);
    indexInsert(uint32_t(found));
    return;
  }
  uint32_t id;
  if (!free_.empty()) {
    id = free_.back();
    free_.pop_back();
    entries_[id] = Entry{};
  } else {
    id = uint32_t(entries_.size());
    Arena::chargeHost(kEntryBytes);
    entries_.push_back(Entry{});
  }
  buckets_[size_t(bucketOf(key))].push_back(id);
  Entry& e = entries_[id];
  assign(e.key, &key);
  assign(e.value, &value);
  countKind(e.key, +1);
  e.indexed = indexed;
  e.indexHash = hash;
  if (indexed) indexInsertHashed(id);
}

TValue TAbstractHashtable::remove(const TValue& key) {
  int64_t found = find(key);
  if (found < 0) return TValue{};
  auto id = uint32_t(found);
  auto& ids = buckets_[size_t(bucketOf(key))];
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) {
      ids.erase(ids.begin() + ptrdiff_t(i));
      break;
    }
  indexErase(id);
  Entry e = entries_[id];
  entries_[id] = Entry{};
  free_.push_back(id);
  countKind(e.key, -1);
  release(e.key);
  return e.value;
}

void TAbstractHashtable::startFind() {
  iterBucket_ = 0;
  iterEntry_ = -1;
  advance();
}

void TAbstractHashtable::advance() {
  while (iterBucket_ < kBuckets) {
    ++iterEntry_;
    if (iterEntry_ < int(buckets_[size_t(iterBucket_)].size())) return;
    iterEntry_ = -1;
    ++iterBucket_;
  }
}

bool TAbstractHashtable::hasNext() const {
  return iterBucket_ < kBuckets && iterEntry_ >= 0 &&
         iterEntry_ < int(buckets_[size_t(iterBucket_)].size());
}

TValue TAbstractHashtable::nextKey() {
  TValue key =
      hasNext() ? entries_[buckets_[size_t(iterBucket_)][size_t(iterEntry_)]].key : TValue{};
  advance();
  return key;
}

}  // namespace zunka::vm
