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

bool isCustomResourceTag(const std::string& tagName) {
  if (!resourceTree().root) return false;
  return dynamic_cast<TRTTI*>(resourceTree().root->Find("classes.customres." + tagName)) != nullptr;
}

}  // namespace

void RegisterResourceKind(std::string tagName, ResourceMaker make) {
  resourcesState().resourceKinds[std::move(tagName)] = make;
}

ResourcePtr ResourceFromTag(const TSGML& tag, std::string_view dir) {
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
  LinkGuard guard(full);
  std::string text = ReadTextFile(full);
  ResourcePtr resource = ParseResourceText(text, ParentDir(full));
  if (resource) resource->src = full;
  return resource;
}

}  // namespace zunka
