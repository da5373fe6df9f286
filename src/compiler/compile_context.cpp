#include "compiler/compile_context.h"

#include "compiler/res_list.h"
#include "resources/rtti.h"
#include "vm/errors.h"

namespace zunka {

std::string TContext::textOf(const TResList* node, int item) const {
  return node->isToken(item) ? std::string(text(node->token(item))) : std::string();
}

void TContext::fail(const std::string& message) const {
  throw ECmpError(cls->name() + ":" + message);
}

}  // namespace zunka
