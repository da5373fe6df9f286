#pragma once
#include <cstdint>
#include <vector>

#include "vm/arena.h"
#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka::vm {

// A host list of value cells: the body of an array, and the list type natives hand
// around. Each cell is its own 8-byte arena block, so a pointer to a cell stays
// good while the list grows or shifts around it.
class TValueList : public HostObject {
 public:
  static constexpr HostKind kHostKind = HostKind::List;
  explicit TValueList(bool arrayBody = true);
  ~TValueList() override;  // releases and frees every cell
  const char* hostClassName() const override { return "TList"; }

  int32_t count() const { return static_cast<int32_t>(cells_.size()); }
  // Cell i; raises the list index error when i is outside the list.
  TValue& at(int32_t i);
  TValue* cellOrNull(int32_t i) { return i >= 0 && i < count() ? valueAt(cells_[i]) : nullptr; }

  void add(const TValue& v);                // appends a copy (retained)
  void insert(int32_t i, const TValue& v);  // i may equal count()
  // Takes the value out of cell i (the reference moves to the caller) and frees it.
  TValue take(int32_t i);
  void removeAndRelease(int32_t i);
  void clear();

 private:
  Ref newCell(const TValue& v);
  void freeCell(Ref cell);

  std::vector<Ref> cells_;
  bool arrayBody_;
};

// "List index out of bounds (N)", raised as a run-time error.
[[noreturn]] void throwListIndexError(int32_t index);

}  // namespace zunka::vm
