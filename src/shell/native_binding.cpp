#include "shell/native_binding.h"

#include <string_view>

#include "resources/binary_natives.h"
#include "resources/cmml_natives.h"
#include "resources/custom_resource_natives.h"
#include "resources/file_natives.h"
#include "resources/project_natives.h"
#include "resources/ranking_natives.h"
#include "resources/resource_list.h"
#include "resources/resource_natives.h"
#include "resources/resource_stream_natives.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "resources/rtti.h"
#include "shell/input_natives.h"
#include "shell/system_natives.h"
#include "vm/natives/array_natives.h"
#include "vm/natives/hashtable_natives.h"
#include "vm/natives/math_natives.h"
#include "vm/natives/object_natives.h"
#include "vm/natives/process_natives.h"
#include "vm/natives/string_natives.h"
#include "vm/runtime.h"

namespace zunka {

namespace {

// Paths without dots are found through the alias table, like any bare class name.
TRTTI* kernelClass(std::string_view path) {
  return resourceTree().root ? dynamic_cast<TRTTI*>(resourceTree().root->Find(path)) : nullptr;
}

void bind(std::string_view path, std::span<const vm::NativeEntry> table) {
  vm::bindNatives(kernelClass(path), table);
}

}  // namespace

void bindKernelNatives() {
  bind("classes.lang.Array", vm::arrayNatives());
  if (TRTTI* array = kernelClass("classes.lang.Array"))
    vm::runtime().arrayBodySlot = array->members.find(vm::symbols::intern("_x"));
  bind("classes.lang.Object", vm::objectCoreNatives());
  bind("classes.lang.Object", vm::mathNatives());
  bind("classes.lang.Object", resourceObjectNatives());
  bind("classes.lang.Object", keyboardNatives());
  bind("classes.lang.Object", pageObjectNatives());
  bind("classes.lang.Object", fileObjectNatives());
  bind("classes.lang.String", vm::stringNatives());
  bind("classes.lang.Process", vm::processNatives());
  for (const auto& [path, table] : resourcesState().nativeTables) bind(path, table);
  bind("classes.game.Char", charNatives());
  bind("Page", pageNatives());
  bind("ProjectManager", projectManagerNatives().first(1));
  bind("classes.lang.CMML", cmmlNatives());
  bind("classes.customres.CustomResource", customResourceNatives());
  bind("BuiltInResource", builtInResourceNatives());
  bind("BinWriter", binWriterNatives());
  bind("BinReader", binReaderNatives());
  bind("ResourceReader", resourceReaderNatives());
  bind("ResourceWriter", resourceWriterNatives());
  bind("classes.customres.Ranking", rankingNatives());
  bind("AbstractHashTable", vm::hashTableNatives());
  bind("LightHashTable", vm::lightHashTableNatives());
  bind("HashTable", vm::plainHashTableNatives());
  bind("ProjectManager", projectManagerNatives());
  bind("System", systemNatives());
  bind("FileReader", fileReaderNatives());
  bind("FileWriter", fileWriterNatives());
}

void bindBootNatives() {
  bind("classes.lang.Boot", bootNatives());
}

}  // namespace zunka
