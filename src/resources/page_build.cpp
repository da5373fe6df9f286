#include "resources/page_build.h"

#include <cstdlib>

#include "platform/files.h"
#include "resources/cache_files.h"
#include "resources/compile_service.h"
#include "resources/gen_iterator.h"
#include "resources/page_hash.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/sgml.h"
#include "resources/tag_dispatch.h"
#include "resources/text_file.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

namespace zunka {
namespace {

// Walks the page twice and gives the script; also writes it to `file`.
std::string writeScript(const std::string& file) {
  Log("ページ再構築中");
  TGenIterator iterator(PageFileHash(prjManager().currentPageFile()));
  if (TResource* page = resourceTree().root ? resourceTree().root->Find("usr") : nullptr) {
    page->Visit(iterator);
    iterator.setPass(1);
    page->Visit(iterator);
  }
  std::string text = iterator.ScriptText();
  // A script that cannot be cached still places the objects this time.
  if (!platform::writeFile(file, text)) Log("Cannot create file \"" + file + "\"");
  return text;
}

// Runs the class's main code on a new instance until it halts, then finishes
// the instance. The interpreter's preemption flag belongs to the frame that
// asked for the build, so it is kept across the run.
void runToEnd(TRTTI& cls) {
  vm::TValue self = vm::TValue::ofRef(vm::vtObject, cls.NewInstance());
  vm::retain(self);
  vm::RunOutcome outcome =
      vm::RunUntilHalted(vm::TProcess::Create(self, {}, ""), vm::kHostScriptRuns);
  vm::release(outcome.result);
  vm::release(self);
  if (vm::TfObject* o = vm::objectOf(self); o && o->refCount == 0) vm::DestroyObject(self.ref);
}

}  // namespace

std::string GenerationCacheFile() {
  return CacheFilePath("i121_", prjManager().currentPageFile()) + ".zunka";
}

std::optional<int32_t> CachedPageHash(const std::string& script) {
  static const std::string kMarker = "$_hashCode=getPageHashCode()-(";
  size_t at = script.find(kMarker);
  if (at == std::string::npos) return std::nullopt;
  return int32_t(std::strtol(script.c_str() + at + kMarker.size(), nullptr, 10));
}

void BuildPage() {
  std::string file = GenerationCacheFile();
  std::string text;
  bool rebuild = !platform::fileExists(file) || alwaysRebuildPages();
  if (!rebuild) {
    text = ReadTextFile(file);
    rebuild =
        rebuildStalePages() && CachedPageHash(text) != PageFileHash(prjManager().currentPageFile());
  }
  if (rebuild) {
    text = writeScript(file);
    if (platform::fileExists(file)) text = ReadTextFile(file);
  }
  ResourcePtr made = ParseResourceText("<class name=\"eval\" src=\"" + EscapeAttr(file) + "\">");
  auto* cls = dynamic_cast<TRTTI*>(made.get());
  if (!cls) return;
  ClassCompiler* compiler = classCompiler();
  if (compiler) compiler->Compile(*cls, text, false);
  projectState().statusText = "オブジェクトを配置しています";
  if (cls->compiled) runToEnd(*cls);
  // Objects of the script class that outlive the run (kept by the script) keep
  // their class rather than pointing at a freed one.
  if (!cls->NoLiveInstances()) made.release();
  projectState().statusText.clear();
}

}  // namespace zunka
