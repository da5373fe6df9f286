#pragma once
// Compiling real class sources in tests: a small resource root (classes by name,
// globals created on demand), compilation, listings and runs.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "compiler/class_compiler.h"
#include "resources/global_value.h"
#include "support/vm_world.h"

namespace zunka::testing {

class TestRoot : public TResource {
 public:
  TestRoot() : TResource("") {}
  TResource* Find(std::string_view path) override;
  TResource* FindChild(std::string_view name) override { return Find(name); }
  void addClass(TRTTI* cls) { classes_[cls->name()] = cls; }
  TGlobalValue* global(const std::string& name);

 private:
  std::map<std::string, TRTTI*> classes_;
  std::map<std::string, std::unique_ptr<TGlobalValue>> globals_;
};

TestRoot& testRoot();

// Compiles `source` as a new class named `name`; empty string on success,
// otherwise the reported error text.
std::string compile(TRTTI*& cls, const std::string& name, const std::string& source);
TRTTI* compiled(const std::string& name, const std::string& source);

std::vector<std::string> listing(const vm::TCompiledInfo& code);
std::vector<std::string> mainListing(const TRTTI* cls);
std::vector<std::string> methodListing(const TRTTI* cls, const std::string& method);

// Runs the class's main code on a fresh instance; gives the printed lines.
std::vector<std::string> runMain(TRTTI* cls);

}  // namespace zunka::testing
