#include "vm/runtime.h"

namespace zunka::vm {

void initializeRuntime() {
  if (runtime.dummy) return;
  Arena::initialize();
  runtime.dummy = Arena::allocate(sizeof(TValue));
}

TValue* resetDummy(bool toError) {
  initializeRuntime();
  TValue* d = valueAt(runtime.dummy);
  TValue old = *d;
  *d = TValue{};
  if (toError) d->kind = vtError;
  release(old);
  return d;
}

}  // namespace zunka::vm
