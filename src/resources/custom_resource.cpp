#include "resources/custom_resource.h"

#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "vm/console.h"
#include "vm/tfstring.h"

namespace zunka {
namespace {

constexpr const char* kOldRankingMessage =
    "このページファイルはバージョンが古いため、ネットランキング機能が利用できません";

// onInit's answers.
constexpr int32_t kInitDone = 2;
constexpr int32_t kInitFailed = 3;

void setMember(vm::TfObject* object, TRTTI* cls, std::string_view name, const vm::TValue& v) {
  int32_t slot = cls->members.find(vm::symbols::intern(name));
  if (slot >= 0) vm::assign(object->members()[slot], &v);
}

}  // namespace

TCustomResource::TCustomResource(const TSGML& tag, std::string_view dir) : TResource(tag, dir) {
  if (tag.TagName() == "Ranking" && !tag.GetAttr("browserURL").empty()) {
    LogError(kOldRankingMessage, {}, true);
    return;
  }
  makeInstance(tag);
  restoreStrings(tag);
}

void TCustomResource::makeInstance(const TSGML& tag) {
  if (!resourceTree().root) return;
  auto* cls = dynamic_cast<TRTTI*>(resourceTree().root->Find(tag.TagName()));
  // A class that is not compiled yet (a custom resource read while the kernel
  // itself loads) cannot make instances: the resource stays without one.
  if (!cls || !cls->compiled) return;
  vm::setObject(scriptObject_, cls->NewInstance());
  vm::TValue self = vm::TValue::ofRef(vm::vtHost, handle());
  setMember(instance(), cls, "_generator", self);
}

void TCustomResource::restoreStrings(const TSGML& tag) {
  vm::TfObject* object = instance();
  if (!object) return;
  TRTTI* cls = TRTTI::Of(vm::classOf(object));
  for (const auto& child : tag.children()) {
    if (child->TagName() != "resinst" || child->GetAttr("type") != "string") continue;
    vm::TValue text = vm::newString(child->GetAttr("value"));
    vm::retain(text);
    setMember(object, cls, child->GetAttr("name"), text);
    vm::release(text);
  }
}

vm::TfObject* TCustomResource::instance() const {
  return vm::objectOf(scriptObject_);
}

void TCustomResource::InitPass(TInitContext& context) {
  if (!instance()) return;
  vm::TValue* one = GlobalCell("$_tmp_val1");
  vm::TValue* two = GlobalCell("$_tmp_val2");
  if (!one || !two) return;
  vm::assign(*one, &scriptObject_);
  vm::setNull(*two);
  int outcome = RunSnippetChecked("$_tmp_val2=$_tmp_val1.onInit();");
  one = GlobalCell("$_tmp_val1");
  two = GlobalCell("$_tmp_val2");
  vm::setInt(*one, 0);
  // An onInit that failed to run gave no answer: it counts as failed rather than
  // as whatever the previous resource answered.
  int32_t answer = outcome == 0 || outcome == -1 ? vm::toInt(*two) : kInitFailed;
  if (answer == 0 || answer == 1)
    ++context.pending;
  else if (answer == kInitDone)
    ++context.done;
  else if (answer == kInitFailed)
    ++context.failed;
}

void TCustomResource::WriteTag(std::vector<std::string>& lines, const std::string&, int) {
  vm::TfObject* object = instance();
  if (!object) return;
  if (vm::TValue* one = GlobalCell("$_tmp_val1")) vm::assign(*one, &scriptObject_);
  TRTTI* cls = TRTTI::Of(vm::classOf(object));
  TSGML element(cls->name());
  element.SetAttr("name", name());
  element.SetAttr("src", RelativePath(src, resourceTree().workDir));
  for (int32_t i = 0; i < cls->members.count(); ++i) {
    const vm::TValue& v = object->members()[i];
    if (!vm::isString(v)) continue;
    auto item = std::make_unique<TSGML>("resinst");
    item->SetAttr("type", "string");
    item->SetAttr("name", cls->members.textAt(i));
    item->SetAttr("value", vm::toText(v));
    element.AddChild(std::move(item));
  }
  lines.push_back(element.ToText(""));
}

}  // namespace zunka
