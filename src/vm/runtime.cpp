#include "vm/runtime.h"

namespace zunka::vm {

namespace detail {
Machine* currentMachine = nullptr;
}

Machine* setMachine(Machine* m) {
  Machine* previous = detail::currentMachine;
  detail::currentMachine = m;
  return previous;
}

void initializeRuntime() {
  if (runtime().dummy) return;
  Arena::initialize();
  runtime().dummy = Arena::allocate(sizeof(TValue));
}

TValue* resetDummy(bool toError) {
  initializeRuntime();
  TValue* d = valueAt(runtime().dummy);
  TValue old = *d;
  *d = TValue{};
  if (toError) d->kind = vtError;
  release(old);
  return d;
}

}  // namespace zunka::vm
