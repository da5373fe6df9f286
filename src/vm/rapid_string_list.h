#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vm/symbols.h"

namespace zunka::vm {

// A class's ordered member names, held as symbols. A member's position is its
// slot in every instance. Lookups take an in/out hint kept by the call site, so a
// site that always sees the same class pays one comparison.
class TRapidStringList {
 public:
  int32_t count() const { return static_cast<int32_t>(entries_.size()); }
  Symbol symbolAt(int32_t i) const { return entries_[i].symbol; }
  const std::string& textAt(int32_t i) const { return symbols::text(entries_[i].symbol); }

  int32_t add(std::string_view name) { return addSymbol(symbols::intern(name)); }
  int32_t addSymbol(Symbol s) {
    entries_.push_back(Entry{s, 0});
    return count() - 1;
  }
  void remove(int32_t i) { entries_.erase(entries_.begin() + i); }
  void clear() { entries_.clear(); }

  // The index of `s`: the hint when it already points at it, else a search from
  // the last entry down; the hint is updated (-1 when absent).
  int32_t find(Symbol s, int32_t& hint) const {
    if (hint >= 0 && hint < count() && entries_[hint].symbol == s) return hint;
    for (int32_t i = count() - 1; i >= 0; --i) {
      if (entries_[i].symbol == s) return hint = i;
    }
    return hint = -1;
  }
  int32_t find(Symbol s) const {
    int32_t hint = 0;
    return find(s, hint);
  }

 private:
  struct Entry {
    Symbol symbol;
    uint32_t reserved;
  };
  std::vector<Entry> entries_;
};

}  // namespace zunka::vm
