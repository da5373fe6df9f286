// Fuzz target: arbitrary bytes as a class source, through tokenizing, parsing and
// code generation with reporting off, and, when the class compiles, one short run
// of its main code. Nothing may crash, hang or leak, whatever the text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "compiler/class_compiler.h"
#include "platform/files.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/kernel_boot.h"
#include "support/temp_dir.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/host_handles.h"
#include "vm/process.h"

namespace {

class SilentConsole : public zunka::ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const zunka::TTraceList&, bool) override {}
};

// The kernel library booted once, from a copy of the source tree's kernel in a
// scratch directory (class files land there, not in the repository).
struct Kernel {
  zunka::testing::TempDir dir;
  bool compilerInstalled = (zunka::installScriptCompiler(), true);  // before the boot compiles
  zunka::KernelBoot boot;
  Kernel() {
    std::string kernel = zunka::platform::systemPath(ZUNKA_SOURCE_DIR "/kernel");
    zunka::resourceTree().baseDir = zunka::platform::systemPath(ZUNKA_SOURCE_DIR);
    boot.boot();
    zunka::resourceTree().baseDir = dir.system();  // new class files go to the scratch dir
    (void)kernel;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentConsole console;
  zunka::setConsole(&console);
  static Kernel kernel;
  std::string_view source(reinterpret_cast<const char*>(data), size);
  auto cls = std::make_unique<zunka::TRTTI>("Fuzzed");
  try {
    zunka::CompileClass(*cls, source, false);
    if (cls->compiled) {
      zunka::vm::TValue self = zunka::vm::TValue::ofRef(zunka::vm::vtObject, cls->NewInstance());
      zunka::vm::retain(self);
      zunka::vm::TProcess* p = zunka::vm::TProcess::Create(self, {}, "");
      uint32_t handle = p->handle();
      zunka::vm::Run(p, 20000);
      if (auto* q = zunka::vm::hostAs<zunka::vm::TProcess>(handle)) q->Destroy();
      zunka::vm::release(self);
    }
  } catch (const zunka::EError&) {
    // Errors are fine; crashes are not.
  }
  return 0;
}
