// Fuzz target: a mutated game-object class played as a page. The input is the
// source of `Fuzzed`, a `classes.game.Char` that the page places in `usr.gen`; the
// real kernel library boots once in a scratch base directory, and each input
// loads the page (compiling the class, building and running the placement
// script) and runs the root process for a few frames with the frame loop's step
// budget, as the headless player does, carrying out page requests between them.
// Nothing may crash, hang, leak or leave the scratch directory, whatever the
// script does with the natives it reaches.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/class_compiler.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/project_manager.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/host_state.h"
#include "shell/kernel_boot.h"
#include "support/temp_dir.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace {

using namespace zunka;

constexpr int kFrames = 8;

class SilentConsole : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const TTraceList&, bool) override {}
};

constexpr const char* kPage =
    "<resourcelist name=\"usr\">\r\n"
    " <resourcelist name=\"classes\">\r\n"
    "  <class name=\"Fuzzed\" src=\"Fuzzed.zunka\"/>\r\n"
    " </resourcelist>\r\n"
    " <resourcelist name=\"gen\">\r\n"
    "  <generator className=\"Fuzzed\" name=\"$fuzzed\" inst_x=\"100\" inst_y=\"80\"/>\r\n"
    " </resourcelist>\r\n"
    "</resourcelist>\r\n";

// The kernel library booted once in a scratch base directory holding a copy of
// the repository's kernel and the page.
struct Player {
  testing::TempDir dir;
  KernelBoot boot;
  std::string page;
  Player() {
    testing::copyTree(platform::systemPath(ZUNKA_SOURCE_DIR "/kernel"), dir.system() + "\\kernel");
    platform::makeDirectory(dir.system() + "\\Usr");
    page = dir.write("Usr\\fuzz.cmml", kPage);
    resourceTree().baseDir = dir.system();
    resourceTree().workDir = dir.system();
    platform::setCurrentHostDirectory(dir.host());
    installScriptCompiler();
    boot.boot();
  }
};

// The project keeps the copy of Fuzzed it took from the first page; every input
// must compile its own.
void forgetFuzzedClass() {
  TResource* found = resourceTree().root->Find("project.classes.Fuzzed");
  if (auto* cls = dynamic_cast<TRTTI*>(found)) cls->Reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentConsole console;
  setConsole(&console);
  static Player player;
  if (!player.boot.ready()) return 0;
  player.dir.write("Usr\\Fuzzed.zunka",
                   std::string_view(reinterpret_cast<const char*>(data), size));
  TPrjManager& projects = player.boot.projects();
  try {
    projects.StopAndForget();
    forgetFuzzedClass();
    projects.LoadPageAndRun(player.page);
    for (int frame = 0; frame < kFrames; ++frame) {
      if (vm::TProcess* root = hostState().root()) vm::Run(root, kFrameStepBudget);
      projects.ProcessRequest();
    }
    projects.StopAndForget();
  } catch (const EError&) {
    // Errors are fine; crashes are not.
  }
  return 0;
}
