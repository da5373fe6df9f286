#include "compiler/compile_context.h"

#include "compiler/res_list.h"
#include "resources/rtti.h"
#include "vm/errors.h"

namespace zunka {

void TContext::fail(const std::string& message) const {
  throw ECmpError(cls->name() + ":" + message);
}

}  // namespace zunka
