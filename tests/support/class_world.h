#pragma once
// A resource-tree world for tests of resources, class files and the collector: a
// temporary directory as baseDir and workDir, a root with `usrglobal` and
// `classes.lang.Object`, a stand-in class compiler, and a sample class whose code
// uses every instruction that class files link by name. Free of gtest, so that the
// fuzz targets can use it too.
#include <string>
#include <string_view>

#include "resources/compile_service.h"
#include "resources/resource_list.h"
#include "resources/rtti.h"
#include "support/temp_dir.h"
#include "vm/compiled_info.h"

namespace zunka::testing {

// Stands in for the script compiler. A source is a few lines:
//   extends classes.lang.Object;   (parent; pending while it is not compiled)
//   var a, b;                      (members, after the parent's)
//   fail;                          (the compilation fails)
class FakeCompiler : public ClassCompiler {
 public:
  int Compile(TRTTI& cls, ClassSource& source, bool report) override;
  int compiles = 0;
};

struct ClassWorld {
  ClassWorld();   // installs itself as the tree
  ~ClassWorld();  // uninstalls and destroys the tree, and puts the folders back

  std::string savedBaseDir_, savedWorkDir_;
  TempDir dir;
  ResourcePtr rootHolder;
  TResourceList* root;
  TResourceList* globals;  // usrglobal
  TResourceList* classes;  // classes
  TRTTI* object;           // classes.lang.Object: members x, y; draw, ping, constructor, native nat
  FakeCompiler compiler;

  // Parses a tag text with workDir and adds the resource under `list`.
  TResource* add(TResourceList& list, std::string_view tagText);
  // A class under `classes` read from `<class name=NAME src=FILE>` with FILE written
  // holding `source`.
  TRTTI* addClass(std::string_view name, std::string_view source);
};

// Compiles `sub` by hand as a subclass of the world's Object with the own member
// z, an overriding `draw` that links a global, a member slot, member and method
// names, a method index, a super call, a native, a constructor and an `is` (and
// sets z from $score), a constructor with parameters and locals, an own native,
// and main code with a point record.
void BuildSampleClass(ClassWorld& world, TRTTI& sub);

}  // namespace zunka::testing
