#pragma once
// Compiling real class sources in tests: a resource tree whose root resolves the
// test world's classes by their bare names and creates `$` globals under
// usrglobal, with a temporary directory as baseDir for class files.
#include <string>
#include <vector>

#include "compiler/class_compiler.h"
#include "resources/global_value.h"
#include "resources/resource_list.h"
#include "support/temp_dir.h"
#include "support/vm_world.h"

namespace zunka::testing {

struct CompileWorld {
  static CompileWorld& get();
  TempDir dir;
  TResourceList* root;
  TGlobalValue* global(const std::string& name);

 private:
  CompileWorld();
};

inline TGlobalValue* global(const std::string& name) {
  return CompileWorld::get().global(name);
}

// Compiles `source` as a new class named `name`; empty string on success,
// otherwise the first reported error text.
std::string compile(TRTTI*& cls, const std::string& name, const std::string& source);
TRTTI* compiled(const std::string& name, const std::string& source);

std::vector<std::string> listing(const vm::TCompiledInfo& code);
std::vector<std::string> mainListing(const TRTTI* cls);
std::vector<std::string> methodListing(const TRTTI* cls, const std::string& method);

// Runs the class's main code on a fresh instance; gives the printed lines, then
// any reported errors prefixed with "!".
std::vector<std::string> runMain(TRTTI* cls);

}  // namespace zunka::testing
