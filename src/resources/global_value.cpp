#include "resources/global_value.h"

#include "vm/errors.h"
#include "vm/runtime.h"
#include "vm/value.h"

namespace zunka {

TGlobalValue::TGlobalValue(std::string name) : TResource(std::move(name)) {
  vm::initializeRuntime();
  cell_ = vm::Arena::allocate(sizeof(vm::TValue));
  *vm::valueAt(cell_) = vm::TValue::ofRef(vm::vtUnset, vm::symbols::intern(this->name()));
}

TGlobalValue::~TGlobalValue() {
  try {
    vm::release(*vm::valueAt(cell_));
  } catch (const EError&) {
  }
  vm::Arena::release(cell_, sizeof(vm::TValue));
}

}  // namespace zunka
