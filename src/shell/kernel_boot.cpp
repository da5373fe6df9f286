#include "shell/kernel_boot.h"

#include "compiler/class_compiler.h"
#include "compiler/snippets.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/tag_dispatch.h"
#include "shell/console.h"
#include "shell/native_binding.h"
#include "shell/shell_hooks.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/runtime.h"
#include "vm/value.h"
#include "vm/version.h"

namespace zunka {

namespace {

TRTTI* findClass(std::string_view path) {
  return dynamic_cast<TRTTI*>(resourceTree.root->Find(path));
}

void setGlobal(std::string_view name, const vm::TValue& v) {
  TResource* g = resourceTree.root ? resourceTree.root->Find(name) : nullptr;
  if (vm::Ref cell = g ? g->ValueCell() : 0) vm::assign(*vm::valueAt(cell), &v);
}

}  // namespace

KernelBoot::~KernelBoot() {
  if (resourceTree.root == root()) {
    vm::runtime.rootProcess = 0;
    resourceTree.root = nullptr;
    // The core classes go with the tree.
    vm::runtime.objectClass = vm::runtime.stringClass = vm::runtime.arrayClass = nullptr;
    vm::runtime.arrayBodySlot = -1;
  }
}

TResourceList* KernelBoot::root() const { return dynamic_cast<TResourceList*>(root_.get()); }

void KernelBoot::installHooks() {
  shellHooks.setDoDraw = [](int32_t on) { setGlobal("$_doDraw", vm::TValue::ofInt(on)); };
  shellHooks.evaluateSnippet = [](std::string_view text) { EvaluateWithReport(text); };
  shellHooks.statisticsText = [] { return vm::Statistics(); };
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
  resourceTree.workDir = resourceTree.baseDir;
  installScriptCompiler();
  Log("Loading Modules..");
  Log("Loading Kernel Resources..");
  root_ = LoadResourceFile(ResolvePath("kernel\\resource.zunkares", resourceTree.baseDir));
  resourceTree.root = root();
  if (!resourceTree.root) throw EError("kernel\\resource.zunkares:カーネルを読み込めません");
  vm::runtime.objectClass = findClass("classes.lang.Object");
  vm::runtime.stringClass = findClass("classes.lang.String");
  vm::runtime.arrayClass = findClass("classes.lang.Array");
  Log("Compiling Kernel Resources..");
  resourceTree.root->Initialize();
  Log("Setting Native Interfaces..");
  bindKernelNatives();
  vm::runtime.rootProcess = 0;
  installHooks();
  Log("Ready");
  ready_ = true;
}

}  // namespace zunka
