#include "vm/hash_table.h"

#include "vm/errors.h"
#include "vm/tfstring.h"

namespace zunka::vm {

TAbstractHashtable::TAbstractHashtable(bool light)
    : HostObject(HostKind::HashTable), light_(light) {}

TAbstractHashtable::~TAbstractHashtable() {
  clear();
}

void TAbstractHashtable::clear() {
  for (auto& bucket : buckets_) {
    std::vector<Entry> entries;
    entries.swap(bucket);
    for (Entry& e : entries) {
      try {
        release(e.key);
        release(e.value);
      } catch (const EError&) {
        // A broken count must not keep the rest of the table alive.
      }
    }
  }
}

uint32_t TAbstractHashtable::hashOf(const TValue& key) const {
  if (!light_ && isString(key)) {
    uint32_t h = 0;
    for (unsigned char c : toText(key)) h = (h - uint32_t(c) * 385764491u) & 0x3FFFFFFF;
    return h;
  }
  return (key.ref * 0xE3835E85u - uint32_t(key.kind) * 385764491u) & 0x3FFFFFFF;
}

int TAbstractHashtable::find(const TValue& key, int& bucket) {
  bucket = int(hashOf(key) / ((1u << 30) / kBuckets));
  if (bucket >= kBuckets) bucket = 0;
  auto& entries = buckets_[bucket];
  for (size_t i = 0; i < entries.size(); ++i) {
    bool equal = light_ ? entries[i].key.sameBits(key) : compare(entries[i].key, key) == 0;
    if (equal) {
      lastBucket_ = bucket;
      lastEntry_ = int(i);
      return int(i);
    }
  }
  return -1;
}

TValue TAbstractHashtable::get(const TValue& key) {
  int bucket;
  int i = find(key, bucket);
  return i < 0 ? TValue{} : buckets_[bucket][size_t(i)].value;
}

void TAbstractHashtable::put(const TValue& key, const TValue& value) {
  int bucket;
  int i = find(key, bucket);
  if (i < 0) {
    buckets_[bucket].push_back(Entry{});
    i = int(buckets_[bucket].size()) - 1;
  }
  // The given key replaces the stored one even when they were only equal.
  Entry& e = buckets_[bucket][size_t(i)];
  assign(e.key, &key);
  assign(e.value, &value);
}

TValue TAbstractHashtable::remove(const TValue& key) {
  int bucket;
  int i = find(key, bucket);
  if (i < 0) return TValue{};
  Entry e = buckets_[bucket][size_t(i)];
  buckets_[bucket].erase(buckets_[bucket].begin() + i);
  release(e.key);
  return e.value;
}

int32_t TAbstractHashtable::size() const {
  size_t n = 0;
  for (const auto& bucket : buckets_) n += bucket.size();
  return int32_t(n);
}

void TAbstractHashtable::startFind() {
  iterBucket_ = 0;
  iterEntry_ = -1;
  advance();
}

void TAbstractHashtable::advance() {
  while (iterBucket_ < kBuckets) {
    ++iterEntry_;
    if (iterEntry_ < int(buckets_[iterBucket_].size())) return;
    iterEntry_ = -1;
    ++iterBucket_;
  }
}

bool TAbstractHashtable::hasNext() const {
  return iterBucket_ < kBuckets && iterEntry_ >= 0 &&
         iterEntry_ < int(buckets_[iterBucket_].size());
}

TValue TAbstractHashtable::nextKey() {
  TValue key = hasNext() ? buckets_[iterBucket_][size_t(iterEntry_)].key : TValue{};
  advance();
  return key;
}

}  // namespace zunka::vm
