#include "resources/resource.h"

#include "resources/global_value.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/host_handles.h"
#include "vm/native_destructor.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

namespace zunka {
namespace {

// The kernel class a resource is seen through by scripts.
constexpr std::string_view kResourceClass = "BuiltInResource";

}  // namespace

void TResource::setName(std::string name) {
  name_ = std::move(name);
  if (parent_) parent_->ChildRenamed();
}

using namespace vm;

void ResourceDeleter::operator()(TResource* resource) const {
  resource->Dispose();
  delete resource;
}

TResource::TResource(std::string name, HostKind kind) : HostObject(kind), name_(std::move(name)) {}

TResource::TResource(const TSGML& tag, std::string_view dir, HostKind kind)
    : HostObject(kind), name_(tag.GetAttr("name")) {
  src = tag.GetAttr("src");
  if (!src.empty()) src = ResolvePath(src, dir);
}

TResource::TResource(std::string name, SharedHandle shared)
    : HostObject(shared, HostKind::Class), name_(std::move(name)) {}

TResource::TResource(const TSGML& tag, std::string_view dir, SharedHandle shared)
    : HostObject(shared, HostKind::Class), name_(tag.GetAttr("name")) {
  src = tag.GetAttr("src");
  if (!src.empty()) src = ResolvePath(src, dir);
}

TResource::~TResource() {
  // Normally Dispose has emptied the cell already; a resource destroyed outside
  // the tree still gives its reference back.
  TValue held = scriptObject_;
  scriptObject_ = TValue{};
  try {
    release(held);
  } catch (const EError&) {
  }
}

TResource* TResource::FromHandle(uint32_t handle) {
  HostObject* o = HostHandles::find(handle);
  if (!o) return nullptr;
  // A class's handle names its class object, the first face of the class resource.
  if (o->hostKind() == HostKind::Class) return TRTTI::Of(static_cast<vm::ClassObject*>(o));
  return o->hostKind() == HostKind::Resource ? static_cast<TResource*>(o) : nullptr;
}

std::string TResource::FullPath() const {
  std::string path = name_;
  for (const TResource* p = parent_; p && p->parent_; p = p->parent_) path = p->name_ + "." + path;
  return path;
}

std::unique_ptr<TIterator> TResource::CreateIterator() {
  return nullptr;
}
void TResource::Add(ResourcePtr) {}
TResource* TResource::FindChild(std::string_view) const {
  return nullptr;
}
Ref TResource::ValueCell() const {
  return 0;
}
void TResource::Remove(TResource*) {}
void TResource::InitPass(TInitContext&) {}
void TResource::RelocateSources(std::string_view, std::string_view) {}
void TResource::WriteTag(std::vector<std::string>&, const std::string&, int) {}
void TResource::ParentChanged(TResourceList*) {}
void TResource::Sweep() {}

TValue& TResource::ScriptObject() {
  if (scriptObject_.kind == vtObject) return scriptObject_;
  // What `new BuiltInResource(resource)` makes, without compiling that line as a
  // snippet for every resource a page asks for (10,000 generators asked 10,000 times).
  auto* cls = dynamic_cast<TRTTI*>(resourceTree().root ? resourceTree().root->Find(kResourceClass)
                                                       : nullptr);
  if (!cls || !cls->compiled) return scriptObject_;
  TValue resource;
  setHost(resource, handle());
  TValue made = vm::constructObject(cls, {resource});
  assign(scriptObject_, &made);
  release(made);
  return scriptObject_;
}

TResource* TResource::Find(std::string_view path) {
  if (path.empty()) return this;
  size_t dot = path.find('.');
  TResource* child = FindChild(path.substr(0, dot));
  if (dot != std::string_view::npos) return child ? child->Find(path.substr(dot + 1)) : nullptr;
  if (child || this != resourceTree().root) return child;
  // Only the root knows bare class names and creates missing globals.
  if (TRTTI* alias = resourceTree().aliases.Get(path)) return alias;
  if (path[0] != '$') return nullptr;
  TResourceList* globals = GlobalsList();
  if (!globals) return nullptr;
  if (TResource* existing = globals->FindChild(path)) return existing;
  ResourcePtr made = ParseResourceText("<globalvalue name=\"" + EscapeAttr(path) + "\">");
  TResource* global = made.get();
  if (global) globals->Add(std::move(made));
  return global;
}

void TResource::Initialize() {
  static const char* const kFailed = "初期化に失敗しました";
  int32_t previous = -1;
  // Resources whose progress goes back and forth (a generator re-created every
  // other pass next to something that stays pending) would never settle; after
  // this many passes they count as a cycle too.
  constexpr int kMostPasses = 1000;
  for (int pass = 0;; ++pass) {
    if (pass == kMostPasses) throw EError("循環参照があります");
    TInitContext context;
    InitPass(context);
    if (context.failed > 0) {
      Log(kFailed);
      throw EError(kFailed);
    }
    // Done is counted over the whole tree on every pass: a pass that compiled
    // nothing new while classes are still pending can never finish.
    if (context.done == previous) throw EError("循環参照があります");
    if (context.pending == 0) return;
    previous = context.done;
  }
}

void TResource::NarrowCommonDir(std::string& dir) const {
  if (!src.empty()) dir = CommonDir(dir, ParentDir(src));
}

void TResource::ForgetObjects() {
  if (scriptObject_.kind == vtObject || scriptObject_.kind == vtHost) scriptObject_ = TValue{};
}

void TResource::Mark() {
  MarkValue(scriptObject_);
}

void TResource::ListPaths(std::vector<std::string>& lines, const std::string& path) const {
  lines.push_back(path);
}

void TResource::Visit(TResourceIterator& visitor) {
  visitor.VisitResource(*this);
}

ResourcePtr TResource::Clone() {
  std::vector<std::string> lines;
  WriteTag(lines, "", 0);
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return ParseResourceText(text);
}

void TResource::Dispose() {
  ReleaseScriptObject();
}

void TResource::ReleaseScriptObject() {
  if (scriptObject_.kind != vtObject) return;
  try {
    TValue result = vm::callMethod(scriptObject_, "onDestroy", {});
    release(result);
  } catch (const EError& e) {
    // Tear-down goes on: the resource is leaving whatever its script says.
    LogError(e.message(), {}, true);
  }
  TValue held = scriptObject_;
  scriptObject_ = TValue{};
  // An object whose class went first has no count left to take back.
  if (!objectOf(held)) return;
  try {
    release(held);
  } catch (const EError& e) {
    LogError(e.message(), {}, true);
  }
}

namespace {

class ScriptObjectRelease : public TResourceIterator {
 public:
  void VisitResource(TResource& resource) override { resource.ReleaseScriptObject(); }
};

class GlobalValueRelease : public TResourceIterator {
 public:
  void VisitResource(TResource& resource) override {
    if (auto* global = dynamic_cast<TGlobalValue*>(&resource)) global->ReleaseValue();
  }
};

class GarbageFinish : public TResourceIterator {
 public:
  explicit GarbageFinish(ClassObject::Garbage which) : which_(which) {}
  void VisitResource(TResource& resource) override {
    if (auto* cls = dynamic_cast<TRTTI*>(&resource)) finished += cls->FinishGarbage(which_);
  }
  int32_t finished = 0;

 private:
  ClassObject::Garbage which_;
};

// Whether anything is left that tearing down would finish or let go.
class TeardownActivity : public TResourceIterator {
 public:
  void VisitResource(TResource& resource) override {
    if (resource.holdsScriptObject()) active = true;
    if (auto* global = dynamic_cast<TGlobalValue*>(&resource))
      if (global->value().kind == vtObject) active = true;
    if (auto* cls = dynamic_cast<TRTTI*>(&resource)) {
      const int32_t silentSlots = SilentFinishingSlots(cls);
      for (Ref r : cls->pool())
        if (objectAt(r)->refCount == 0 && !FinishingIsSilent(r, silentSlots)) active = true;
    }
  }
  bool active = false;
};

// Finishing one object can make others garbage (a list's elements), and a
// destructor can make new objects: passes go on while they finish anything, up
// to a bound, so that a destructor that makes garbage of its own kind ends.
constexpr int kMostGarbagePasses = 64;

}  // namespace

void ReleaseScriptObjects(TResource& root, bool leaveSilentGarbage) {
  // The hooks may store objects in globals: the globals go last.
  ScriptObjectRelease objects;
  root.Visit(objects);
  GlobalValueRelease globals;
  root.Visit(globals);
  // Garbage is otherwise finished when its class goes, by then perhaps after the
  // string class its destructor needs.
  for (int pass = 0; pass < kMostGarbagePasses; ++pass) {
    GarbageFinish garbage(leaveSilentGarbage ? ClassObject::Garbage::AllButSilent
                                             : ClassObject::Garbage::All);
    root.Visit(garbage);
    if (garbage.finished == 0) break;
  }
  // A destructor still waiting runs script code: it finds what it always found.
  if (leaveSilentGarbage && !vm::runtime().waitingDestructors.empty()) FinishSilentGarbage(root);
}

void FinishSilentGarbage(TResource& root) {
  GarbageFinish garbage(ClassObject::Garbage::OnlySilent);
  root.Visit(garbage);
}

bool TreeTeardownIsSilent(TResource& root) {
  if (!vm::runtime().waitingDestructors.empty()) return false;
  TeardownActivity activity;
  root.Visit(activity);
  return !activity.active;
}

void SetTreeRoot(TResourceList* root) {
  resourceTree().root = root;
  vm::runtime().collectorRoots = root ? &resourceTree() : nullptr;
}

void ResourceTree::MarkRoots() {
  if (root) root->Mark();
}

void ResourceTree::SweepRoots() {
  if (root) root->Sweep();
}

TResourceList* GlobalsList() {
  if (!resourceTree().root) return nullptr;
  return dynamic_cast<TResourceList*>(resourceTree().root->FindChild("usrglobal"));
}

}  // namespace zunka
