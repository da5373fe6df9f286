#include "compile_support.h"

#include <gtest/gtest.h>

#include "vm/code_tools.h"
#include "vm/natives/object_natives.h"
#include "vm/process.h"

namespace zunka::testing {

TResource* TestRoot::Find(std::string_view path) {
  if (path.empty()) return this;
  if (auto it = classes_.find(std::string(path)); it != classes_.end()) return it->second;
  if (path[0] == '$') return global(std::string(path));
  return nullptr;
}

TGlobalValue* TestRoot::global(const std::string& name) {
  auto& g = globals_[name];
  if (!g) g = std::make_unique<TGlobalValue>(name);
  return g.get();
}

TestRoot& testRoot() {
  static TestRoot* root = [] {
    auto* r = new TestRoot();
    VmWorld& w = VmWorld::get();
    // The root class offers the core natives, as the kernel's does.
    for (const vm::NativeEntry& e : vm::objectCoreNatives()) w.addNative(w.objectClass, e.name, e.handler);
    r->addClass(w.objectClass);
    r->addClass(w.stringClass);
    r->addClass(w.arrayClass);
    setCompilerRoot(r);
    return r;
  }();
  return *root;
}

std::string compile(TRTTI*& cls, const std::string& name, const std::string& source) {
  TestRoot& root = testRoot();
  VmWorld& w = VmWorld::get();
  cls = w.makeClass(name, nullptr);
  cls->compiled = false;
  cls->src = name + ".zunka";
  w.console.clear();
  int result = CompileClass(*cls, source, true);
  if (result == 0 && cls->compiled) root.addClass(cls);
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

std::vector<std::string> mainListing(const TRTTI* cls) { return listing(*cls->classCode); }

std::vector<std::string> methodListing(const TRTTI* cls, const std::string& method) {
  auto* f = dynamic_cast<vm::TNormalFunction*>(cls->FindMethodByName(method));
  return f && f->code ? listing(*f->code) : std::vector<std::string>{};
}

std::vector<std::string> runMain(TRTTI* cls) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  vm::runtime.lastWarning.clear();
  w.run(cls);
  std::vector<std::string> out = w.console.printed;
  for (const std::string& e : w.console.errors) out.push_back("!" + e);
  return out;
}

}  // namespace zunka::testing
