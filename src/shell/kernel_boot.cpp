#include "shell/kernel_boot.h"

#include "resources/cache_bundle.h"
#include "resources/class_file.h"
#include "resources/environment_store.h"
#include "resources/modules.h"
#include "resources/page_build.h"
#include "resources/page_hash.h"
#include "resources/paths.h"
#include "resources/player_hosts.h"
#include "resources/project_state.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "shell/host_state.h"
#include "shell/native_binding.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/runtime.h"
#include "vm/value.h"
#include "vm/version.h"
#include "vm/waiting_destructors.h"

namespace zunka {

namespace {

constexpr const char* kDefaultTitle = "Zunka System";

TRTTI* findClass(std::string_view path) {
  return dynamic_cast<TRTTI*>(resourceTree().root->Find(path));
}

void setGlobal(std::string_view name, const vm::TValue& v) {
  if (vm::TValue* cell = GlobalCell(name)) vm::assign(*cell, &v);
}

}  // namespace

KernelBoot::KernelBoot() {
  setPrjManager(&projects_);
}

KernelBoot::~KernelBoot() {
  shutDown();
  if (&prjManager() == &projects_) setPrjManager(nullptr);
  if (resourceTree().root == root()) {
    vm::runtime().rootProcess = 0;
    SetTreeRoot(nullptr);
    // The core classes go with the tree.
    vm::runtime().objectClass = vm::runtime().stringClass = vm::runtime().arrayClass = nullptr;
    vm::runtime().arrayBodySlot = -1;
  }
  if (leaveTree_) (void)root_.release();
}

void KernelBoot::shutDown() {
  shutDown(false);
}

void KernelBoot::shutDownToExit() {
  shutDown(true);
}

void KernelBoot::shutDown(bool exiting) {
  if (shutDown_) return;
  shutDown_ = true;
  // The last frame's sprites hold the objects that drew them: they go before the
  // classes of those objects.
  playerHosts().screen().clearSprites();
  if (root_ && resourceTree().root == root()) ReleaseScriptObjects(*root_, exiting);
  // Destructors still waiting for their turn run now; any that cannot go with
  // their class's pool, as all other garbage does.
  vm::RunWaitingDestructors();
  vm::StopWaitingFor(nullptr);
}

bool KernelBoot::leaveTreeToExit() {
  leaveTree_ = shutDown_ && root_ && TreeTeardownIsSilent(*root_);
  // The tear-down may run script code: it finds every garbage string finished.
  if (!leaveTree_ && root_ && resourceTree().root == root()) FinishSilentGarbage(*root_);
  return leaveTree_;
}

TResourceList* KernelBoot::root() const {
  return dynamic_cast<TResourceList*>(root_.get());
}

void KernelBoot::initialiseSystem() {
  environmentStore().Load(EnvironmentFilePath());
  projects_.LoadRecentPages();
}

void KernelBoot::boot() {
  Log(std::string("Welcome to Zunka System Ver ") + kVersionText);
  Log("Copyright (C) the zunka developers");
  Log("");
  Log("Starting System..");
  Log("TValue=" + std::to_string(sizeof(vm::TValue)));
  Log("TVType=" + std::to_string(sizeof(vm::TVType)));
  Log("TfObject=" + std::to_string(sizeof(vm::TfObject)));
  Log("Extended=10");
  Log("Loading Enviroment Values");
  resourceTree().workDir = resourceTree().baseDir;
  // A page edited since its placement script was cached is placed anew.
  rebuildStalePages() = true;
  Log("Loading Modules..");
  Log("Loading Kernel Resources..");
  root_ = LoadResourceFile(ResolvePath("kernel\\resource.zunkares", resourceTree().baseDir));
  SetTreeRoot(root());
  if (!resourceTree().root) throw EError("kernel\\resource.zunkares:カーネルを読み込めません");
  vm::runtime().objectClass = findClass("classes.lang.Object");
  vm::runtime().stringClass = findClass("classes.lang.String");
  vm::runtime().arrayClass = findClass("classes.lang.Array");
  Log("Compiling Kernel Resources..");
  loadKernelClasses();
  Log("Setting Native Interfaces..");
  bindKernelNatives();
  vm::runtime().rootProcess = 0;
  bindBootNatives();
  playerHosts().screen().kernelLoaded();
  enumerateKernelFiles();
  LoadModules();
  InitModules();
  Log("Ready");
  ready_ = true;
}

// The kernel's class files are read as one bundle, written anew when any of
// them had to be read alone or compiled.
void KernelBoot::loadKernelClasses() {
  CacheBundle bundle(ClassFileBundlePath("kernel"));
  bundle.Activate();
  resourceTree().root->Initialize();
  bundle.Save();
}

// The files the kernel tree was read from: their page hash is the kernel's
// identity. Scripts see the random generator where hashing them leaves it, so it
// is left there now, though the hash itself waits until asked for.
void KernelBoot::enumerateKernelFiles() {
  TPageFileEnum files;
  resourceTree().root->Visit(files);
  projectState().kernelFiles = files.files();
  projectState().kernelId.reset();
  DrawAsPageHash(files.files());
  projectState().debugFileList = files.files();
}

void KernelBoot::loadProject() {
  if (!resourceTree().root) return;
  projects_.LoadProject(resourceTree().baseDir + "\\Usr\\default.zunkaprj");
  std::string help = projects_.GetParam("helpfile");
  if (!help.empty() && help.find("http://") == std::string::npos)
    help = ResolvePath(help, resourceTree().baseDir);
  if (!help.empty()) projectState().helpFile = help;
  if (projectState().fileToOpen.empty()) projectState().fileToOpen = firstPageFile();
  setGlobal("$_emChar", vm::TValue::ofInt(1));
  setGlobal("$_editMode", vm::TValue::ofInt(1));
}

// The project's main page when it names one, else the first of its pages.
std::string KernelBoot::firstPageFile() const {
  TResource* entry = nullptr;
  std::string mainPage = projects_.GetParam("mainPage");
  if (!mainPage.empty()) {
    entry = resourceTree().root->Find(projects_.PagesPath() + "." + mainPage);
  } else if (TResourceList* pages = projects_.PageList()) {
    entry = pages->count() > 0 ? pages->childAt(0) : nullptr;
  }
  if (!entry) return {};
  return ResolvePath(entry->src, resourceTree().baseDir + "\\Usr");
}

void KernelBoot::startPage(const std::string& file) {
  if (!resourceTree().root) return;
  projects_.LoadPage(file);
  playerHosts().windows().setLoadingCaption(file);
  projects_.ReloadPage();
}

void KernelBoot::afterStart() {
  if (!resourceTree().root) return;
  std::string title = projects_.GetParam("title") + projects_.GetParam("version");
  projectState().applicationTitle = title.empty() ? kDefaultTitle : title;
  // The screen window stands at the origin until it can report where it is.
  setGlobal("$windowX", vm::TValue::ofInt(0));
  setGlobal("$windowY", vm::TValue::ofInt(0));
  setGlobal("$fullScreen", vm::TValue::ofInt(hostState().fullScreen ? 1 : 0));
}

}  // namespace zunka
