#include "app/script_commands.h"
#include "app/system_directory.h"

#include <cstdio>
#include <memory>

#include "compiler/class_compiler.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "platform/sjis_text.h"
#include "platform/stream_output.h"
#include "resources/class_source.h"
#include "resources/paths.h"
#include "resources/player_hosts.h"
#include "resources/project_state.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/user_storage.h"
#include "shell/host_state.h"
#include "shell/kernel_boot.h"
#include "shell/player_console.h"
#include "vm/code_tools.h"
#include "vm/errors.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

namespace zunka::app {

namespace {

// The process ends right after a command: the kernel tree's memory can go with
// it. Sanitizer builds free everything, so that LeakSanitizer can tell a real
// leak and the tree's tear-down stays checked.
#ifdef ZUNKA_ASAN
constexpr bool kLeaveTreeToExit = false;
#else
constexpr bool kLeaveTreeToExit = true;
#endif

// The class FILE holds, compiled and entered in the tree (and the alias table)
// under its base name; nullptr when it did not compile.
TRTTI* compileScript(const std::string& file) {
  std::string path = platform::systemPath(platform::absoluteHostPath(file).value_or(file));
  auto owned = MakeResource<TRTTI>(BaseNameWithoutExt(path));
  auto* cls = static_cast<TRTTI*>(owned.get());
  cls->src = path;
  resourceTree().root->Add(std::move(owned));
  ClassSource source = ClassSource::OfFile(path);
  if (CompileClass(*cls, source, true) != 0 || !cls->compiled) return nullptr;
  return cls;
}

bool runMain(TRTTI* cls) {
  vm::TValue self = vm::TValue::ofRef(vm::vtObject, cls->NewInstance());
  vm::retain(self);
  // A script run from the command line may run as long as it likes.
  vm::RunOutcome outcome = vm::RunUntilHalted(vm::TProcess::Create(self, {}, ""));
  vm::release(outcome.result);
  vm::release(self);
  return outcome.state == 0;
}

void printListing(const char* name, const vm::TCompiledInfo* code) {
  std::printf("== %s\n", platform::sjisToUtf8(name).c_str());
  if (!code) return;
  std::vector<std::string> lines;
  vm::listInstructions(code->words(), code->lengthBytes() / 4, lines);
  for (const std::string& line : lines) std::printf("%s\n", platform::sjisToUtf8(line).c_str());
}

void disassemble(const TRTTI* cls) {
  printListing("main", cls->classCode.get());
  for (vm::TFunction* f : cls->methods()) {
    if (f->owner() != cls) continue;
    auto* normal = dynamic_cast<vm::TNormalFunction*>(f);
    printListing(f->GetName().c_str(), normal ? normal->code.get() : nullptr);
  }
}

}  // namespace

int runScriptCommand(const PlayerOptions& options) {
  SystemDirectory system =
      locateSystemDirectory(options.baseDir, platform::hostPath(platform::executableDirectory()));
  std::string baseDir =
      platform::systemPath(platform::absoluteHostPath(system.path).value_or(system.path));
  resourceTree().baseDir = StripTrailingBackslash(baseDir);
  // The kernel's class files are cached; the script's folder is the game.
  std::string script = platform::absoluteHostPathFromHere(options.commandFile);
  ChooseUserStorage(resourceTree().baseDir, ParentDir(platform::systemPath(script)),
                    system.installed);

  PlayerConsole console(hostState(), playerHosts(), platform::StreamOutput::standardOutput(),
                        platform::StreamOutput::standardError());
  std::unique_ptr<platform::StreamOutput> logFile;
  if (options.log && *options.log == "-") {
    console.setLogOutput(&platform::StreamOutput::standardError());
  } else if (options.log) {
    logFile = platform::StreamOutput::createFile(*options.log);
    console.setLogOutput(logFile.get());
  }
  ConsoleSink* previous = &zunka::console();
  setConsole(&console);

  int status = 1;
  try {
    installScriptCompiler();
    KernelBoot kernel;
    kernel.boot();
    bool classesReady = true;
    for (const std::string& file : options.classFiles)
      classesReady = classesReady && compileScript(file) != nullptr;
    if (TRTTI* cls = classesReady ? compileScript(options.commandFile) : nullptr) {
      switch (options.command) {
        case PlayerOptions::Command::Check:
          status = 0;
          break;
        case PlayerOptions::Command::Disasm:
          disassemble(cls);
          status = 0;
          break;
        default:
          status = runMain(cls) ? 0 : 1;
          break;
      }
    }
    if (kLeaveTreeToExit) {
      kernel.shutDownToExit();
      kernel.leaveTreeToExit();
    } else {
      kernel.shutDown();
    }
  } catch (const EError& e) {
    LogError(e.message(), {}, true);
    status = 1;
  }
  console.finishRepeats();
  std::fflush(stdout);
  setConsole(previous);
  return status;
}

}  // namespace zunka::app
