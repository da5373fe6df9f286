#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka::vm {

// A fixed table of 32 buckets of (key, value) entries, never resized. Two kinds:
// the plain table hashes strings by their text and compares keys with the value
// comparison; the light table hashes and compares the raw kind and payload, so a
// string key is found only through the same string object. Positions are indexes,
// so an iteration over a table that changes meanwhile never reads a freed entry.
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
  int32_t size() const;

  void startFind();
  bool hasNext() const;
  // The key at the iteration position (not retained; null when none), then advances.
  TValue nextKey();

  // Every key and value, for the collector.
  template <class F>
  void forEachValue(F&& visit) {
    for (auto& bucket : buckets_)
      for (Entry& e : bucket) {
        visit(e.key);
        visit(e.value);
      }
  }

  uint32_t hashOf(const TValue& key) const;
  bool light() const { return light_; }

 private:
  struct Entry {
    TValue key;
    TValue value;
  };
  int find(const TValue& key, int& bucket);
  void advance();
  void clear();

  bool light_;
  std::array<std::vector<Entry>, kBuckets> buckets_;
  int iterBucket_ = kBuckets;
  int iterEntry_ = -1;
  int lastBucket_ = -1;
  int lastEntry_ = -1;
};

}  // namespace zunka::vm
