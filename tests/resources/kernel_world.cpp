#include "resources/kernel_world.h"

#include <unistd.h>

#include <climits>

#include "compiler/class_compiler.h"
#include "compiler/snippets.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/environment_store.h"
#include "resources/page_build.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"
#include "shell/host_state.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::testing {
namespace {

constexpr const char* kTestBoot =
    "// The test kernel's Boot: places the page's objects, says which way it\r\n"
    "// started, and idles.\r\n"
    "extends classes.lang.Object;\r\n"
    "native generate;\r\n"
    "function start(design) {\r\n"
    "  $_design_mode = design;\r\n"
    "  $procs = new Array();\r\n"
    "  $chars = new Array();\r\n"
    "  generate();\r\n"
    "  while (1) { suspend(); }\r\n"
    "}\r\n"
    "function execute() { print(\"execute\"); start(0); }\r\n"
    "function design() { print(\"design\"); start(1); }\r\n";

// Later definitions of a method replace earlier ones, so these win over the
// kernel library's own.
constexpr const char* kObjectHelpers =
    "\r\nfunction getResource(path) { return _n_getResource(path); }\r\n"
    "function appear(o) { $chars.add(o); print(\"appear\"); }\r\n";
constexpr const char* kResourceHelpers =
    "\r\nconstructor BuiltInResource(h) { _testHandle = h; }\r\n"
    "function getTObject() { return _testHandle; }\r\n"
    "function onDestroy() { if ($tellDestroyed) print(\"gone \" + _testHandle); }\r\n";

void append(const std::string& file, std::string_view text) {
  std::string bytes;
  platform::readFile(file, bytes);
  platform::writeFile(file, bytes + std::string(text));
}

}  // namespace

void KernelWorldTest::SetUp() {
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  savedDirectory_ = cwd;
  previousConsole_ = &zunka::console();
  setConsole(&console);
  hostState() = HostState();
  projectState() = ProjectState();
  environmentStore().Clear();
  alwaysRebuildPages() = false;
  rebuildStalePages() = false;
  copyKernel();
  beforeBoot();
  resourceTree().baseDir = dir.system();
  resourceTree().workDir = dir.system();
  resourceTree().baseDir = dir.system();
  platform::setCurrentHostDirectory(dir.host());
  installScriptCompiler();
  kernel = std::make_unique<KernelBoot>();
  kernel->boot();
  ASSERT_TRUE(kernel->ready());
  bootLog = console.logLines;
  bootErrors = console.errors;
  console.clear();
}

void KernelWorldTest::TearDown() {
  kernel.reset();
  setConsole(previousConsole_);
  ASSERT_EQ(chdir(savedDirectory_.c_str()), 0);
}

void KernelWorldTest::copyKernel() {
  std::string kernelDir = dir.system() + "\\kernel";
  copyTree(platform::systemPath(ZUNKA_SOURCE_DIR "/kernel"), kernelDir);
  platform::writeFile(kernelDir + "\\classes\\lang\\Boot.zunka", kTestBoot);
  append(kernelDir + "\\classes\\lang\\Object.zunka", kObjectHelpers);
  append(kernelDir + "\\classes\\sys\\BuiltInResource.zunka", kResourceHelpers);
}

std::string KernelWorldTest::path(std::string_view relative) const {
  return ResolvePath(relative, dir.system());
}

std::string KernelWorldTest::write(std::string_view relative, std::string_view text) {
  std::string file = path(relative);
  platform::makeDirectory(ParentDir(file));
  platform::writeFile(file, text);
  return file;
}

std::string KernelWorldTest::read(std::string_view relative) const {
  std::string bytes;
  platform::readFile(path(relative), bytes);
  return bytes;
}

int KernelWorldTest::run(std::string_view statements) {
  return EvaluateWithReport("extends Object;\r\n" + std::string(statements));
}

std::string KernelWorldTest::global(std::string_view name) {
  vm::TValue* cell = ExistingGlobalCell(name);
  return cell ? vm::toText(*cell) : std::string();
}

void KernelWorldTest::frames(int count) {
  for (int i = 0; i < count; ++i) {
    if (vm::TProcess* root = hostState().root()) vm::Run(root, kFrameStepBudget);
    if (projects().HasRequest()) break;
  }
  projects().ProcessRequest();
}

int countContaining(const std::vector<std::string>& lines, std::string_view part) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(part) != std::string::npos;
  return n;
}

}  // namespace zunka::testing
