#include "compile_support.h"

#include <gtest/gtest.h>

#include "resources/resource_tree.h"
#include "vm/code_tools.h"
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

}  // namespace zunka::testing
