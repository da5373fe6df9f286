#include "vm/value_list.h"

#include <exception>

#include "vm/errors.h"
#include "vm/runtime.h"

namespace zunka::vm {

TValueList::TValueList(bool arrayBody) : HostObject(HostKind::List), arrayBody_(arrayBody) {}

TValueList::~TValueList() {
  try {
    clear();
  } catch (const EError&) {
    // A broken count inside must not stop the list from being freed.
  }
}

void throwListIndexError(int32_t index) {
  throw ERuntimeError("List index out of bounds (" + std::to_string(index) + ")");
}

TValue& TValueList::at(int32_t i) {
  if (i < 0 || i >= count()) throwListIndexError(i);
  return *valueAt(cells_[i]);
}

Ref TValueList::newCell(const TValue& v) {
  Ref cell = Arena::allocate(sizeof(TValue));
  TValue* p = valueAt(cell);
  *p = v;
  retain(*p);
  ++liveCounters().valueCells;
  if (arrayBody_) ++liveCounters().arrayCells;
  return cell;
}

void TValueList::freeCell(Ref cell) {
  Arena::release(cell, sizeof(TValue));
  --liveCounters().valueCells;
  if (arrayBody_) --liveCounters().arrayCells;
}

void TValueList::add(const TValue& v) {
  cells_.push_back(newCell(v));
}

void TValueList::insert(int32_t i, const TValue& v) {
  if (i < 0 || i > count()) throwListIndexError(i);
  cells_.insert(cells_.begin() + i, newCell(v));
}

TValue TValueList::take(int32_t i) {
  if (i < 0 || i >= count()) throwListIndexError(i);
  Ref cell = cells_[i];
  TValue v = *valueAt(cell);
  cells_.erase(cells_.begin() + i);
  freeCell(cell);
  return v;
}

void TValueList::removeAndRelease(int32_t i) {
  TValue v = take(i);
  release(v);
}

void TValueList::clear() {
  std::vector<Ref> cells;
  cells.swap(cells_);
  // Every value is let go even when some cannot be (lists freed after the records
  // they name, at exit); the first failure is reported once, at the end.
  std::string firstError;
  for (Ref cell : cells) {
    TValue v = *valueAt(cell);
    freeCell(cell);
    if (v.kind != vtObject) continue;
    // Only the first failure's text is made: at exit every value may fail.
    if (firstError.empty())
      releaseOrSay(v, firstError);
    else
      releaseQuietly(v);
  }
  if (!firstError.empty()) throw ERuntimeError(firstError);
}

}  // namespace zunka::vm
