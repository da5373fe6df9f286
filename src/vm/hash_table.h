#pragma once
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka::vm {

// A fixed table of 32 buckets of (key, value) entries, never resized. Two kinds:
// the plain table hashes strings by their text and compares keys with the value
// comparison; the light table hashes and compares the raw kind and payload, so a
// string key is found only through the same string object. Positions are indexes,
// so an iteration over a table that changes meanwhile never reads a freed entry.
//
// The buckets keep the order scripts see (iteration goes bucket by bucket, each in
// insertion order) and decide what a lookup finds. An index beside them finds the
// same entry without scanning a bucket wherever only one entry can compare equal
// to the key: every key of a light table, string keys of a plain table, and its
// integer keys while it holds no string or float key (a string "5" or a float 5.0
// compares equal to 5). Any other lookup scans its bucket. A string key is hashed
// by its text when it is put.
class TAbstractHashtable : public HostObject {
 public:
  static constexpr HostKind kHostKind = HostKind::HashTable;
  static constexpr int kBuckets = 32;

  explicit TAbstractHashtable(bool light);
  ~TAbstractHashtable() override;  // releases every key and value
  const char* hostClassName() const override { return light_ ? "TLightHashtable" : "THashtable"; }

  // A copy of the value under `key` (not retained), or null.
  TValue get(const TValue& key);
  void put(const TValue& key, const TValue& value);
  // Takes the value out (the reference moves to the caller); null when absent.
  TValue remove(const TValue& key);
  int32_t size() const { return int32_t(entries_.size() - free_.size()); }

  void startFind();
  bool hasNext() const;
  // The key at the iteration position (not retained; null when none), then advances.
  TValue nextKey();

  // Every key and value, for the collector.
  template <class F>
  void forEachValue(F&& visit) {
    for (auto& bucket : buckets_)
      for (uint32_t id : bucket) {
        visit(entries_[id].key);
        visit(entries_[id].value);
      }
  }

  uint32_t hashOf(const TValue& key) const;
  bool light() const { return light_; }

 private:
  struct Entry {
    TValue key;
    TValue value;
    uint32_t indexHash = 0;  // the key's index hash when it is in the index
    bool indexed = false;
  };
  // What one entry costs the script heap (vm/arena.h): the entry, its place in a
  // bucket and its share of the index.
  static constexpr uint64_t kEntryBytes = sizeof(Entry) + 4 + 8;
  static constexpr uint32_t kEmpty = 0;
  static constexpr uint32_t kGone = UINT32_MAX;  // a removed index slot

  // The entry equal to `key`, or -1. A found entry lies in bucketOf(key).
  int64_t find(const TValue& key) const;
  [[gnu::noinline]] TValue getOther(const TValue& key) const;
  int bucketOf(const TValue& key) const;
  int64_t scanBucket(const TValue& key, int bucket) const;
  int64_t probeIndex(const TValue& key, uint32_t hash) const;
  int64_t probeText(const TValue& key, std::string_view text, uint32_t hash) const;
  // The indexed entry of hash `hash` that `matches` accepts, or -1: the one probe
  // loop of every index lookup, each with the comparison its keys need.
  template <class Matches>
  int64_t probe(uint32_t hash, Matches matches) const;
  // Whether the index decides lookups of `key`, and the key's index hash.
  bool indexable(const TValue& key, uint32_t& hash) const;
  bool sameKey(const Entry& e, const TValue& key) const;
  void indexInsert(uint32_t id);
  // Puts an entry whose indexHash is set into the index.
  void indexInsertHashed(uint32_t id);
  void indexErase(uint32_t id);
  void growIndex();
  void countKind(const TValue& key, int delta);
  void advance();
  void clear();

  bool light_;
  std::vector<Entry> entries_;  // by id; ids of removed entries are reused
  std::vector<uint32_t> free_;
  std::array<std::vector<uint32_t>, kBuckets> buckets_;  // entry ids in order
  std::vector<uint32_t> index_;                          // open addressing: id + 1, kEmpty or kGone
  size_t indexFilled_ = 0;                               // slots not empty (live and gone)
  int32_t stringKeys_ = 0, floatKeys_ = 0;
  int iterBucket_ = kBuckets;
  int iterEntry_ = -1;
};

}  // namespace zunka::vm
