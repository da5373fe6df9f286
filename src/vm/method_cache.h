#pragma once
#include <cstdint>

#include "vm/symbols.h"

namespace zunka::vm {

class ClassObject;
class TFunction;

// Method lookups of the interpreter's calls by (class handle, method name), in
// one fixed table of the process: a call site that sees objects of several
// classes in turn finds each method in one probe, without resolving the class's
// handle or searching its method table.
//
// An entry holds what ClassObject::FindMethod gave for the pair: the method, its
// index (the call's hint word) and the class. It is good only while the epoch it
// was made in lasts, and every change to any method table (a method added,
// overridden, a class reset, compiled again or destroyed) starts a new epoch, so
// an entry never outlives what it describes: not even when a class is gone and
// another takes its handle's slot. Tables change while classes compile and
// almost never while scripts run, so one counter is cheaper than finding the
// entries a change concerns. Like the handle table, the cache is the process's:
// class handles are.
class MethodCache {
 public:
  struct Entry {
    uint32_t classHandle;
    Symbol symbol;
    uint32_t epoch;  // 0: never filled
    int32_t index;
    TFunction* function;
    ClassObject* cls;
  };
  static constexpr uint32_t kIndexBits = 10;

  // The entry a pair lives in, filled for it or not (see hit).
  static Entry& slotFor(uint32_t classHandle, Symbol symbol) {
    // Fibonacci hashing: handles of classes made together differ in their low
    // bits, which the multiplication spreads over the bits kept.
    const uint32_t mixed = (classHandle ^ (symbol << 11)) * 0x9E3779B1u;
    return entries_[mixed >> (32 - kIndexBits)];
  }
  static bool hit(const Entry& e, uint32_t classHandle, Symbol symbol) {
    return e.classHandle == classHandle && e.symbol == symbol && e.epoch == epoch_;
  }
  static void fill(Entry& e, uint32_t classHandle, Symbol symbol, int32_t index,
                   TFunction* function, ClassObject* cls) {
    e = Entry{classHandle, symbol, epoch_, index, function, cls};
  }

  // A method table changed: every entry made so far is stale.
  static void methodsChanged();
  static uint32_t epoch() { return epoch_; }

 private:
  static uint32_t epoch_;
  static Entry entries_[1u << kIndexBits];
};

}  // namespace zunka::vm
