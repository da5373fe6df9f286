// Fuzz target: arbitrary bytes as a class source, through tokenizing, parsing and
// code generation with reporting off, and, when the class compiles, one short run
// of its main code. Nothing may crash, hang or leak, whatever the text.
//
// The class is compiled twice and the second copy's quick forms are wiped, so
// that it runs every instruction as written. When the run cannot see anything
// but itself (no globals, no text naming a record), both runs must print the
// same lines, report the same errors at the same places and end in the same
// state, or the target stops: a superinstruction then behaved differently from
// the instructions it stands for.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/class_compiler.h"
#include "platform/files.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/kernel_boot.h"
#include "support/temp_dir.h"
#include "vm/arena.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/natives/math_natives.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace {

// What a run showed: every line and error with its trace, then how it ended.
class RecordingConsole : public zunka::ConsoleSink {
 public:
  void log(std::string_view text) override { lines.emplace_back(text); }
  void logError(std::string_view text, const zunka::TTraceList& trace, bool) override {
    std::string line(text);
    for (const zunka::TTraceEntry& at : trace) line += " #" + std::to_string(at.offset);
    lines.push_back(line);
  }
  std::vector<std::string> lines;
};

// The kernel library booted once, from a copy of the source tree's kernel in a
// scratch directory (class files land there, not in the repository).
struct Kernel {
  zunka::testing::TempDir dir;
  bool compilerInstalled = (zunka::installScriptCompiler(), true);  // before the boot compiles
  zunka::KernelBoot boot;
  Kernel() {
    zunka::resourceTree().baseDir = zunka::platform::systemPath(ZUNKA_SOURCE_DIR);
    boot.boot();
    zunka::resourceTree().baseDir = dir.system();  // new class files go to the scratch dir
  }
};

void wipeQuickForms(const zunka::TRTTI& cls) {
  auto wipe = [](const zunka::vm::TCompiledInfo* code) {
    if (!code) return;
    uint32_t* quick = zunka::vm::Arena::quickWords(code->code());
    std::fill(quick, quick + code->lengthBytes() / 4 + 1, 0u);
  };
  wipe(cls.classCode.get());
  for (zunka::vm::TFunction* f : cls.methods())
    if (auto* normal = dynamic_cast<zunka::vm::TNormalFunction*>(f)) wipe(normal->code.get());
}

// Where `pc` stands, as the block (main code or method) and the offset in it: the
// copies' code lies at different places in the arena.
std::string placeOf(const zunka::TRTTI& cls, zunka::vm::Ref pc) {
  auto inside = [pc](const zunka::vm::TCompiledInfo* code) {
    return code && pc >= code->code() && pc < code->code() + code->lengthBytes();
  };
  if (inside(cls.classCode.get())) return "main+" + std::to_string(pc - cls.classCode->code());
  for (zunka::vm::TFunction* f : cls.methods())
    if (auto* normal = dynamic_cast<zunka::vm::TNormalFunction*>(f);
        normal && inside(normal->code.get()))
      return f->GetName() + "+" + std::to_string(pc - normal->code->code());
  return "elsewhere";
}

std::vector<std::string> runMainCode(zunka::TRTTI& cls, RecordingConsole& console) {
  console.lines.clear();
  zunka::vm::random::setState(12345);
  zunka::vm::runtime().lastWarning.clear();  // a warning is shown once in a row
  zunka::vm::TValue self = zunka::vm::TValue::ofRef(zunka::vm::vtObject, cls.NewInstance());
  zunka::vm::retain(self);
  zunka::vm::TProcess* p = zunka::vm::TProcess::Create(self, {}, "");
  uint32_t handle = p->handle();
  zunka::vm::Run(p, 20000);
  std::string end = "gone";
  if (auto* q = zunka::vm::hostAs<zunka::vm::TProcess>(handle)) {
    end = "halted=" + std::to_string(q->halted) + " state=" + std::to_string(q->state);
    if (!q->halted && q->hasFrame()) end += " at=" + placeOf(cls, q->pc);
    q->Destroy();
  }
  zunka::vm::release(self);
  console.lines.push_back(end);
  return console.lines;
}

// A run that reads or writes globals sees the other's changes, a record's number
// in a text differs between the copies, and the heap's cap is met sooner with the
// first run's garbage still held: such runs are only run.
bool comparable(std::string_view source, const std::vector<std::string>& a,
                const std::vector<std::string>& b) {
  if (source.find('$') != std::string_view::npos) return false;
  for (const auto* lines : {&a, &b})
    for (const std::string& line : *lines)
      if (line.find('@') != std::string::npos ||
          line.find("メモリが足りません") != std::string::npos)
        return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RecordingConsole console;
  zunka::setConsole(&console);
  static Kernel kernel;
  std::string_view source(reinterpret_cast<const char*>(data), size);
  auto quick = std::make_unique<zunka::TRTTI>("Fuzzed");
  auto written = std::make_unique<zunka::TRTTI>("Fuzzed");
  try {
    zunka::CompileClass(*quick, source, false);
    if (!quick->compiled) return 0;
    std::vector<std::string> quickRun = runMainCode(*quick, console);
    zunka::CompileClass(*written, source, false);
    if (!written->compiled) return 0;
    wipeQuickForms(*written);
    std::vector<std::string> writtenRun = runMainCode(*written, console);
    if (comparable(source, quickRun, writtenRun) && quickRun != writtenRun) {
      for (const auto& [name, lines] : {std::pair{"quick", &quickRun}, {"written", &writtenRun}})
        for (const std::string& line : *lines) std::fprintf(stderr, "%s: %s\n", name, line.c_str());
      std::abort();
    }
  } catch (const zunka::EError&) {
    // Errors are fine; crashes are not.
  }
  return 0;
}
