#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

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

// The kernel's class files are read from one bundle: a second boot finds every
// class there, though the single class files are gone, compiles nothing, and
// leaves the bundle as it was.
TEST(KernelBoot, ASecondBootTakesTheKernelClassesFromTheirBundle) {
  RecordingConsole console;
  struct Restore {
    ConsoleSink* console = &zunka::console();
    vm::Runtime runtime = vm::runtime();
    ~Restore() {
      vm::runtime() = runtime;
      setConsole(console);
    }
  } restore;
  setConsole(&console);
  KernelBase base;
  installScriptCompiler();
  std::filesystem::path temp = base.dir.host() + "/Temp";
  std::filesystem::path bundle = temp / "c121_kernel.bundle";
  auto singleClassFiles = [&] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(temp))
      if (entry.path() != bundle) files.push_back(entry.path());
    return files;
  };
  auto inode = [&] {
    struct stat st {};
    return ::stat(bundle.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  {
    KernelBoot boot;
    boot.boot();
    ASSERT_TRUE(boot.ready());
  }
  ASSERT_NE(inode(), 0u);
  const auto written = inode();
  ASSERT_GT(singleClassFiles().size(), 30u);
  for (const auto& file : singleClassFiles()) std::filesystem::remove(file);
  {
    KernelBoot boot;
    boot.boot();
    EXPECT_TRUE(boot.ready());
    EXPECT_TRUE(console.errors.empty()) << console.errors.front();
    EXPECT_EQ(vm::runtime().stringClass->FullPath(), "classes.lang.String");
  }
  EXPECT_TRUE(singleClassFiles().empty()) << "compiled again: " << singleClassFiles().front();
  EXPECT_EQ(inode(), written) << "the bundle was written again";
}
