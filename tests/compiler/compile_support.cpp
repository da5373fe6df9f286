#include "compile_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "resources/resource_tree.h"
#include "vm/arena.h"
#include "vm/code_tools.h"
#include "vm/host_handles.h"
#include "vm/natives/object_natives.h"
#include "vm/process.h"

namespace zunka::testing {

CompileWorld& CompileWorld::get() {
  static CompileWorld* world = new CompileWorld();  // lives as long as the test program
  return *world;
}

CompileWorld::CompileWorld() {
  VmWorld& w = VmWorld::get();
  // The root class offers the core natives, as the kernel's does.
  for (const vm::NativeEntry& e : vm::objectCoreNatives())
    w.addNative(w.objectClass, e.name, e.handler);
  auto* r = new TResourceList("root");
  r->Add(MakeResource<TResourceList>("usrglobal"));
  root = r;
  SetTreeRoot(r);
  resourceTree().baseDir = dir.system();
  resourceTree().workDir = dir.system();
  installScriptCompiler();
}

TGlobalValue* CompileWorld::global(const std::string& name) {
  return dynamic_cast<TGlobalValue*>(root->Find(name));
}

std::string compile(TRTTI*& cls, const std::string& name, const std::string& source) {
  CompileWorld::get();
  VmWorld& w = VmWorld::get();
  cls = w.makeClass(name, nullptr);
  cls->compiled = false;
  cls->src = name + ".zunka";
  w.console.clear();
  CompileClass(*cls, source, true);
  return w.console.errors.empty() ? std::string() : w.console.errors.front();
}

TRTTI* compiled(const std::string& name, const std::string& source) {
  TRTTI* cls = nullptr;
  std::string error = compile(cls, name, source);
  if (!error.empty() || !cls->compiled) ADD_FAILURE() << name << ": " << error;
  return cls;
}

std::vector<std::string> listing(const vm::TCompiledInfo& code) {
  std::vector<std::string> lines;
  vm::listInstructions(code.words(), code.lengthBytes() / 4, lines);
  return lines;
}

std::vector<std::string> mainListing(const TRTTI* cls) {
  return listing(*cls->classCode);
}

std::vector<std::string> methodListing(const TRTTI* cls, const std::string& method) {
  auto* f = dynamic_cast<vm::TNormalFunction*>(cls->FindMethodByName(method));
  return f && f->code ? listing(*f->code) : std::vector<std::string>{};
}

std::vector<std::string> runMain(TRTTI* cls) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  vm::runtime().lastWarning.clear();
  w.run(cls);
  std::vector<std::string> out = w.console.printed;
  for (const std::string& e : w.console.errors) out.push_back("!" + e);
  return out;
}

std::vector<const vm::TCompiledInfo*> blocksOf(const TRTTI* cls) {
  std::vector<const vm::TCompiledInfo*> blocks{cls->classCode.get()};
  for (vm::TFunction* f : cls->methods())
    if (auto* normal = dynamic_cast<vm::TNormalFunction*>(f)) blocks.push_back(normal->code.get());
  return blocks;
}

void wipeQuickForms(const TRTTI* cls) {
  for (const vm::TCompiledInfo* code : blocksOf(cls)) {
    uint32_t* quick = vm::Arena::quickWords(code->code());
    std::fill(quick, quick + code->lengthBytes() / 4 + 1, 0u);
  }
}

QuickAndWritten compiledTwice(const std::string& stem, const std::string& source) {
  static int copies = 0;
  QuickAndWritten c{compiled(stem + std::to_string(++copies), source),
                    compiled(stem + std::to_string(++copies), source)};
  wipeQuickForms(c.written);
  return c;
}

std::vector<std::string> runInSlices(TRTTI* cls, int32_t steps,
                                     const std::function<std::string(const vm::TProcess&)>& stop,
                                     const std::function<void()>& beforeEach) {
  VmWorld::get().console.clear();
  vm::TValue self = vm::TValue::ofRef(vm::vtObject, cls->NewInstance());
  vm::retain(self);
  uint32_t handle = vm::TProcess::Create(self, {}, "")->handle();
  std::vector<std::string> stops;
  for (int guard = 0; guard < 200000; ++guard) {
    vm::TProcess* p = vm::hostAs<vm::TProcess>(handle);
    if (!p || p->halted || !p->hasFrame()) break;
    if (beforeEach) beforeEach();
    vm::Run(p, steps);
    stops.push_back(stop(*p));
  }
  if (vm::TProcess* p = vm::hostAs<vm::TProcess>(handle)) p->Destroy();
  vm::release(self);
  for (const std::string& line : VmWorld::get().console.printed) stops.push_back(line);
  return stops;
}

}  // namespace zunka::testing
