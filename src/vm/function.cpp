#include "vm/function.h"

#include "vm/errors.h"
#include "vm/runtime.h"

namespace zunka::vm {

TFunction::TFunction(HostKind family, Kind kind, ClassObject* owner, Symbol name)
    : HostObject(family), owner_(owner), name_(name), kind_(kind) {
  ++liveCounters().functions;
}

TFunction::~TFunction() {
  --liveCounters().functions;
}

void TFunction::letGo() {
  if (--holders_ <= 0) delete this;
}

TNormalFunction::TNormalFunction(ClassObject* owner, Symbol name, Kind kind)
    : TFunction(HostKind::Function, kind, owner, name) {}

const char* TNormalFunction::hostClassName() const {
  switch (kind()) {
    case Kind::Constructor:
      return "TConstructor";
    case Kind::Destructor:
      return "TDestructor";
    default:
      return "TNormalFunction";
  }
}

TNativeFunction::TNativeFunction(ClassObject* owner, Symbol name)
    : TFunction(HostKind::Native, Kind::Native, owner, name), handler(unboundNative) {}

void unboundNative(TNativeFunction*, TValue*, int32_t, uint32_t) {
  throw ERuntimeError("native関数が実装されていません");
}

}  // namespace zunka::vm
