#include "resources/class_compiler.h"

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
