#pragma once
// Calls a native handler the way the interpreter does: `this` in the target slot
// and the arguments below it; gives what the handler left in the slot.
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "vm/natives/native_support.h"
#include "vm/value.h"

namespace zunka::testing {

inline vm::NativeHandler findNative(std::span<const vm::NativeEntry> table, std::string_view name) {
  for (const auto& e : table)
    if (name == e.name) return e.handler;
  return nullptr;
}

// The result is retained for the caller; the arguments are released afterwards.
inline vm::TValue callNative(vm::NativeHandler h, const vm::TValue& self,
                             std::initializer_list<vm::TValue> args) {
  std::vector<vm::TValue> slots(args.size() + 1);
  size_t n = args.size();
  slots[n] = self;
  vm::retain(slots[n]);
  size_t i = 0;
  for (const vm::TValue& a : args) {
    slots[n - 1 - i] = a;
    vm::retain(slots[n - 1 - i]);
    ++i;
  }
  h(nullptr, &slots[n], int32_t(n), 0);
  for (size_t k = 0; k < n; ++k) vm::release(slots[k]);
  return slots[n];
}

}  // namespace zunka::testing
