#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "compiler/class_compiler.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/kernel_boot.h"
#include "support/temp_dir.h"
#include "support/vm_world.h"
#include "vm/runtime.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// A base directory holding the repository's kernel, so class files land in a
// scratch Temp.
struct KernelBase {
  TempDir dir;
  KernelBase() {
    EXPECT_EQ(symlink(ZUNKA_SOURCE_DIR "/kernel", (dir.host() + "/kernel").c_str()), 0);
    resourceTree().baseDir = dir.system();
  }
};

}  // namespace

TEST(KernelBoot, WritesItsConsoleLinesInOrderAndBindsEveryNativeSilently) {
  RecordingConsole console;
  ConsoleSink* previous = &zunka::console();
  vm::Runtime saved = vm::runtime();
  setConsole(&console);
  KernelBase base;
  installScriptCompiler();
  {
    KernelBoot boot;
    boot.boot();
    EXPECT_TRUE(boot.ready());
    std::vector<std::string> head(console.logLines.begin(), console.logLines.begin() + 12);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Welcome to Zunka System Ver 1.21", "Copyright (C) the zunka developers",
                        "", "Starting System..", "TValue=8", "TVType=1", "TfObject=20",
                        "Extended=10", "Loading Enviroment Values", "Loading Modules..",
                        "Loading Kernel Resources..", "Compiling Kernel Resources.."}));
    auto at = [&](const char* line) {
      return std::find(console.logLines.begin(), console.logLines.end(), line) -
             console.logLines.begin();
    };
    EXPECT_LT(at("Compiling Kernel Resources.."), at("Setting Native Interfaces.."));
    EXPECT_EQ(console.logLines.back(), "Ready");
    EXPECT_TRUE(console.errors.empty()) << console.errors.front();
    // The core classes are known to the interpreter.
    EXPECT_EQ(vm::runtime().stringClass->FullPath(), "classes.lang.String");
    EXPECT_GE(vm::runtime().arrayBodySlot, 0);
  }
  EXPECT_EQ(resourceTree().root, nullptr);
  EXPECT_EQ(vm::runtime().stringClass, nullptr);
  vm::runtime() = saved;
  setConsole(previous);
}
