#include "resources/compile_service.h"

#include "resources/resources_state.h"

namespace zunka {
void setClassCompiler(ClassCompiler* compiler) {
  resourcesState().classCompiler = compiler;
}
ClassCompiler* classCompiler() {
  return resourcesState().classCompiler;
}

}  // namespace zunka
