#include "resources/tag_dispatch.h"

#include "resources/resources_state.h"

#include <algorithm>
#include <vector>

#include "resources/custom_resource.h"
#include "resources/generator.h"
#include "resources/global_value.h"
#include "resources/module_resource.h"
#include "resources/param.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/tag_reader.h"
#include "resources/tag_resource.h"
#include "resources/text_file.h"
#include "resources/trusted_folders.h"
#include "vm/console.h"
#include "vm/errors.h"

namespace zunka {
namespace {

// Files being read through `link` tags, innermost last, and how deep resources
// nest across them; both keep a hostile set of files from recursing without end.
std::vector<std::string>& filesBeingLinked() {
  return resourcesState().filesBeingLinked;
}
int& dispatchDepth() {
  return resourcesState().dispatchDepth;
}

class DepthGuard {
 public:
  DepthGuard() {
    if (++dispatchDepth() > kMaxTagDepth) {
      --dispatchDepth();
      throw EError(kTagTooDeep);
    }
  }
  ~DepthGuard() { --dispatchDepth(); }
};

class LinkGuard {
 public:
  explicit LinkGuard(const std::string& path) {
    for (const std::string& open : filesBeingLinked())
      if (SamePath(open, path)) throw EError(path + "は自分自身をリンクしています");
    filesBeingLinked().push_back(path);
  }
  ~LinkGuard() { filesBeingLinked().pop_back(); }
};

// The load in progress starts afresh when nothing is being read around it.
ResourcesState::LoadCounts& loadCounts() {
  if (dispatchDepth() == 0 && filesBeingLinked().empty()) resourcesState().loadCounts = {};
  return resourcesState().loadCounts;
}

void countResource() {
  if (++loadCounts().resources > kMostResourcesPerLoad)
    throw EError("リソースが多すぎます（一度に" + std::to_string(kMostResourcesPerLoad) +
                 "個まで）");
}

void countLink(const std::string& path, size_t bytes) {
  ResourcesState::LoadCounts& counts = loadCounts();
  if (++counts.links > kMostLinksPerLoad)
    throw EError(path + "を読み込めません: リンクされたファイルが多すぎます（一度に" +
                 std::to_string(kMostLinksPerLoad) + "個まで）");
  counts.bytes += bytes;
  if (counts.bytes > kMostLinkedBytesPerLoad)
    throw EError(path + "を読み込めません: リンクされたファイルが大きすぎます（一度に合計" +
                 std::to_string(kMostLinkedBytesPerLoad >> 20) + "MBまで）");
}

bool isCustomResourceTag(const std::string& tagName) {
  if (!resourceTree().root) return false;
  return dynamic_cast<TRTTI*>(resourceTree().root->Find("classes.customres." + tagName)) != nullptr;
}

}  // namespace

void RegisterResourceKind(std::string tagName, ResourceMaker make) {
  resourcesState().resourceKinds[std::move(tagName)] = make;
}

ResourcePtr ResourceFromTag(const TSGML& tag, std::string_view dir) {
  countResource();
  DepthGuard depth;
  const std::string& t = tag.TagName();
  if (t == "resourcelist" || t == "classlist") return MakeResource<TResourceList>(tag, dir);
  if (t == "class") return MakeResource<TRTTI>(tag, dir);
  if (t == "globalvalue") return MakeResource<TGlobalValue>(tag, dir);
  if (t == "link") return LoadResourceFile(ResolvePath(tag.GetAttr("src"), dir));
  if (t == "param") return MakeResource<TfParam>(tag, dir);
  if (t == "generator") return MakeResource<TGenerator>(tag, dir);
  if (auto kind = resourcesState().resourceKinds.find(t);
      kind != resourcesState().resourceKinds.end())
    return kind->second(tag, dir);
  if (t == "module") return MakeResource<TModuleRes>(tag, dir);
  if (t == "cpattern") return MakeResource<TTagResource>(tag, dir);
  if (isCustomResourceTag(t)) return MakeResource<TCustomResource>(tag, dir);
  LogError(t + "は不正なタグ名です", {}, true);
  return nullptr;
}

ResourcePtr ParseResourceText(std::string_view text, std::string_view dir) {
  std::unique_ptr<TSGML> element = ParseTagText(text);
  return element ? ResourceFromTag(*element, dir) : nullptr;
}

ResourcePtr ParseResourceText(std::string_view text) {
  return ParseResourceText(text, resourceTree().workDir);
}

ResourcePtr LoadResourceFile(std::string_view path) {
  std::string full = ResolvePath(path, resourceTree().workDir);
  CheckSourceInside(full);
  std::string text = ReadTextFile(full);
  countLink(full, text.size());
  LinkGuard guard(full);
  ResourcePtr resource = ParseResourceText(text, ParentDir(full));
  if (resource) resource->src = full;
  return resource;
}

}  // namespace zunka
