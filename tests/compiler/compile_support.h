#pragma once
// Compiling real class sources in tests: a resource tree whose root resolves the
// test world's classes by their bare names and creates `$` globals under
// usrglobal, with a temporary directory as baseDir for class files.
#include <functional>
#include <string>
#include <vector>

#include "compiler/class_compiler.h"
#include "resources/global_value.h"
#include "resources/resource_list.h"
#include "support/temp_dir.h"
#include "support/vm_world.h"
#include "vm/process.h"

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

// The class's code blocks: its main code, then each method's.
std::vector<const vm::TCompiledInfo*> blocksOf(const TRTTI* cls);
// Empties the interpreter's quick forms of the class's blocks: every instruction
// then runs as written, the reference the fast paths are compared with.
void wipeQuickForms(const TRTTI* cls);

// `source` compiled twice, as classes named `stem` and a number: `quick` as the
// interpreter runs it, `written` with its quick forms wiped.
struct QuickAndWritten {
  TRTTI* quick;
  TRTTI* written;
};
QuickAndWritten compiledTwice(const std::string& stem, const std::string& source);

// Runs the main code on a fresh instance in slices of `steps`, suspending and
// resuming the process between them (`beforeEach` runs before every slice);
// gives `stop` of the process after each slice, then what the run printed.
std::vector<std::string> runInSlices(TRTTI* cls, int32_t steps,
                                     const std::function<std::string(const vm::TProcess&)>& stop,
                                     const std::function<void()>& beforeEach = {});

}  // namespace zunka::testing
