#include "resources/compile_service.h"

namespace zunka {
namespace {
ClassCompiler* installed = nullptr;
}  // namespace

void setClassCompiler(ClassCompiler* compiler) {
  installed = compiler;
}
ClassCompiler* classCompiler() {
  return installed;
}

}  // namespace zunka
