#include "shell/page_host.h"

#include "resources/global_value.h"
#include "resources/project_manager.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"
#include "vm/collector.h"
#include "vm/value.h"

namespace zunka {

bool KernelPages::hasRequest() {
  return prjManager().HasRequest();
}

void KernelPages::processRequest() {
  prjManager().ProcessRequest();
}

void KernelPages::setDoDraw(int32_t on) {
  vm::TValue value = vm::TValue::ofInt(on);
  if (vm::TValue* cell = GlobalCell("$_doDraw")) vm::assign(*cell, &value);
}

void KernelPages::evaluateSnippet(std::string_view source) {
  RunSnippet(source);
}

std::string KernelPages::statisticsText() {
  // Nothing to count before the kernel's tree exists.
  return resourceTree().root ? vm::Statistics() : std::string();
}

}  // namespace zunka
