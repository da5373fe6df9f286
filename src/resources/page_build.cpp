#include "resources/page_build.h"

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "resources/cache_files.h"
#include "resources/class_source.h"
#include "resources/compile_service.h"
#include "resources/content_digest.h"
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

// The last line of a cached placement script: a comment holding the digest of
// every line before it.
constexpr std::string_view kDigestMark = "// digest ";
// A placement script is a few statements per generator of a page that is at most
// kLargestTextFile: four times that is beyond any page.
constexpr uint64_t kLargestPlacementScript = 4 * kLargestTextFile;

std::string sealed(const std::string& text) {
  return text + std::string(kDigestMark) + DigestText(ContentDigest(text)) + "\r\n";
}

// The cached script when it is whole (its digest line matches what precedes it);
// nothing for a missing, cut or altered file.
std::optional<std::string> readCachedScript(const std::string& file) {
  std::string bytes;
  if (!platform::readFile(file, bytes, kLargestPlacementScript)) return std::nullopt;
  std::string text = JoinFileLines(bytes);
  size_t sealLength = kDigestMark.size() + 16 + 2;
  if (text.size() < sealLength) return std::nullopt;
  size_t at = text.size() - sealLength;
  if ((at > 0 && text.compare(at - 2, 2, "\r\n") != 0) ||
      text.compare(at, sealLength, sealed(text.substr(0, at)).substr(at)) != 0)
    return std::nullopt;
  return text;
}

// A throw-away class "eval" compiled from `text` (without reporting errors); with
// a `file`, its class file is cached like any other. Null when the class could
// not be made at all.
ResourcePtr compileScript(const std::string& text, const std::string& file) {
  std::string tag = "<class name=\"eval\"";
  if (!file.empty()) tag += " src=\"" + EscapeAttr(file) + "\"";
  ResourcePtr made = ParseResourceText(tag + ">");
  auto* cls = dynamic_cast<TRTTI*>(made.get());
  if (!cls) return nullptr;
  ClassSource source(text);
  if (ClassCompiler* compiler = classCompiler()) compiler->Compile(*cls, source, false);
  return made;
}

bool compiles(const std::string& text) {
  ResourcePtr made = compileScript(text, "");
  auto* cls = dynamic_cast<TRTTI*>(made.get());
  return cls && cls->compiled;
}

// Clears in `keep` the snippets of [from, to) that break the script. A range that
// compiles is kept whole; one that does not is halved until the snippets that
// fail alone are found. Only a broken script pays for the search.
void dropBroken(const TGenIterator& script, size_t from, size_t to, std::vector<bool>& keep) {
  std::vector<bool> range(keep.size(), false);
  for (size_t i = from; i < to; ++i) range[i] = keep[i];
  if (compiles(script.ScriptText(&range))) return;
  if (to - from == 1) {
    keep[from] = false;
    return;
  }
  size_t middle = from + (to - from) / 2;
  dropBroken(script, from, middle, keep);
  dropBroken(script, middle, to, keep);
}

// One line for each generator attribute (or global value) that broke the script.
void reportBroken(const TGenIterator& script, const std::vector<bool>& keep) {
  std::set<std::pair<std::string, std::string>> reported;
  const std::string& page = prjManager().currentPageFile();
  for (size_t i = 0; i < keep.size(); ++i) {
    const TGenIterator::Origin& origin = script.origins()[i];
    if (keep[i] || !reported.insert({origin.owner, origin.attribute}).second) continue;
    LogError(page + ": " + origin.owner + "の" + origin.attribute +
                 "は正しいスクリプトではないので、使いません: " + script.snippets()[i],
             {}, true);
  }
}

// Walks the page twice into its placement script.
void walkPage(TGenIterator& iterator) {
  Log("ページ再構築中");
  if (TResource* page = resourceTree().root ? resourceTree().root->Find("usr") : nullptr) {
    page->Visit(iterator);
    iterator.setPass(1);
    page->Visit(iterator);
  }
}

// Builds the placement script from the page, caches it in `file` and compiles it.
// Snippets that do not compile are reported and left out, so that every valid
// object is still placed; such a script is not cached, so that the next load
// reports them again.
ResourcePtr rebuildScript(const std::string& file) {
  TGenIterator iterator(PageFileHash(prjManager().currentPageFile()));
  walkPage(iterator);
  std::string text = sealed(iterator.ScriptText());
  // A script that cannot be cached still places the objects.
  if (!WriteCacheFile(file, text)) Log("Cannot create file \"" + file + "\"");
  ResourcePtr made = compileScript(text, file);
  if (auto* cls = dynamic_cast<TRTTI*>(made.get()); cls && cls->compiled) return made;
  made.reset();
  std::vector<bool> keep(iterator.snippets().size(), true);
  dropBroken(iterator, 0, keep.size(), keep);
  reportBroken(iterator, keep);
  platform::deleteFile(file);
  made = compileScript(iterator.ScriptText(&keep), "");
  // Snippets that compile one by one but not together are not told apart: the
  // failure is still reported, never taken for an empty page.
  if (auto* cls = dynamic_cast<TRTTI*>(made.get()); !cls || !cls->compiled)
    LogError(
        prjManager().currentPageFile() + ": オブジェクトを配置するスクリプトをコンパイルできません",
        {}, true);
  return made;
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
  std::optional<std::string> cached;
  if (!alwaysRebuildPages() && platform::fileExists(file)) {
    cached = readCachedScript(file);
    if (!cached) Log("not a valid placement script: " + file);
  }
  if (cached && rebuildStalePages() &&
      CachedPageHash(*cached) != PageFileHash(prjManager().currentPageFile()))
    cached.reset();
  ResourcePtr made;
  if (cached) {
    made = compileScript(*cached, file);
    // A cache that no longer compiles (a class it names changed) is built again.
    auto* cls = dynamic_cast<TRTTI*>(made.get());
    if (!cls || !cls->compiled) made.reset();
  }
  if (!made) made = rebuildScript(file);
  auto* cls = dynamic_cast<TRTTI*>(made.get());
  if (!cls) return;
  projectState().statusText = "オブジェクトを配置しています";
  if (cls->compiled) runToEnd(*cls);
  // Objects of the script class that outlive the run (kept by the script) keep
  // their class rather than pointing at a freed one.
  if (!cls->NoLiveInstances()) made.release();
  projectState().statusText.clear();
}

}  // namespace zunka
