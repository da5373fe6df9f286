#include "app/self_check.h"

#include <cstdio>
#include <memory>

#include "compiler/class_compiler.h"
#include "resources/rtti.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::app {

int runSelfCheck() {
  TRTTI cls("SelfCheck");
  int failed = CompileClass(cls,
                            "function fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }\n"
                            "answer = fact(5) + 6 * 7 - 120;",
                            false);
  int32_t answer = 0;
  if (!failed && cls.compiled) {
    vm::TValue self = vm::TValue::ofRef(vm::vtObject, cls.NewInstance());
    vm::retain(self);
    vm::TProcess* p = vm::TProcess::Create(self, {}, "");
    vm::Run(p, 0);
    vm::TfObject* o = vm::objectOf(self);
    answer = vm::toInt(o->members()[0]);
    delete p;
    vm::release(self);
  }
  bool ok = answer == 42;
  std::printf("self-check: %s (compiled and ran a class: %d)\n", ok ? "ok" : "FAILED", answer);
  return ok ? 0 : 1;
}

}  // namespace zunka::app
