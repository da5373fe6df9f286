#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vm/arena.h"
#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka {

class TResource;
class TResourceList;
class TSGML;

// Counters of one initialisation pass over a tree.
struct TInitContext {
  int32_t pending = 0;  // cannot be initialised yet (a parent class is not compiled)
  int32_t done = 0;
  int32_t failed = 0;
};

// Walks the children of a list; RemoveCurrent destroys the child Next gave last.
class TIterator {
 public:
  virtual ~TIterator() = default;
  virtual bool HasNext() = 0;
  virtual TResource* Next() = 0;
  virtual void RemoveCurrent() = 0;
};

// Visitor over a subtree in pre-order: a list before its children.
class TResourceIterator {
 public:
  virtual ~TResourceIterator() = default;
  virtual void VisitResource(TResource& resource) = 0;
};

// Resources are destroyed the way the tree destroys them: their tear-down runs
// (children first, the script object's onDestroy hook) while the whole object
// still exists, then the memory goes.
struct ResourceDeleter {
  void operator()(TResource* resource) const;
};
using ResourcePtr = std::unique_ptr<TResource, ResourceDeleter>;

template <class T, class... Args>
ResourcePtr MakeResource(Args&&... args) {
  return ResourcePtr(new T(std::forward<Args>(args)...));
}

// A named node of the resource tree: classes, global variables, parameters,
// generators, patterns, modules and the lists that group them. The tree owns
// every resource; a resource belongs to exactly one list. Scripts refer to a
// resource through its host handle.
class TResource : public vm::HostObject {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Resource;

  explicit TResource(std::string name, vm::HostKind kind = vm::HostKind::Resource);
  // `name` and `src` from the tag; a relative `src` resolves against `dir`.
  TResource(const TSGML& tag, std::string_view dir, vm::HostKind kind = vm::HostKind::Resource);
  ~TResource() override;
  const char* hostClassName() const override { return "TResource"; }

  // The resource a handle names, whatever its family (class or other resource).
  static TResource* FromHandle(uint32_t handle);

  const std::string& name() const { return name_; }
  void setName(std::string name);
  TResourceList* parentResource() const { return parent_; }
  // Dotted path from below the root, such as classes.lang.Object.
  std::string FullPath() const;

  // The operations every resource answers, in the order the tree defines them.
  virtual std::unique_ptr<TIterator> CreateIterator();
  virtual void Add(ResourcePtr child);
  virtual TResource* FindChild(std::string_view name) const;
  // The value cell compiled code reaches this resource through (0 when none).
  virtual vm::Ref ValueCell() const;
  // A script object standing for this resource, made on first use.
  virtual vm::TValue& ScriptObject();
  // The resource at a dotted path below this one (Find("") is this one). At the
  // root, a bare name may be a class alias, and a missing `$` name is created as
  // a global variable under `usrglobal`.
  virtual TResource* Find(std::string_view path);
  virtual void Remove(TResource* child);
  // Initialisation passes until nothing is pending; raises "初期化に失敗しました"
  // when something failed and "循環参照があります" when a pass made no progress.
  virtual void Initialize();
  virtual void InitPass(TInitContext& context);
  virtual void NarrowCommonDir(std::string& dir) const;
  virtual void RelocateSources(std::string_view fromDir, std::string_view toDir);
  // Appends the resource's tag lines. Not const: a global refreshes its initial
  // value text from its current value when written.
  virtual void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags);
  virtual void ForgetObjects();
  virtual void ParentChanged(TResourceList* parent);
  virtual void Mark();
  virtual void Sweep();
  virtual void ListPaths(std::vector<std::string>& lines, const std::string& path) const;
  virtual void Visit(TResourceIterator& visitor);
  // A copy made by writing this resource as tag text and reading it back.
  virtual ResourcePtr Clone();

  // Raises when the resource (or something inside it) must not be destroyed now.
  virtual void CheckRemovable() const {}
  // Tear-down before destruction; derived classes finish their own part and then
  // call the base, which runs the script object's onDestroy hook.
  virtual void Dispose();
  // Runs the script object's onDestroy hook and lets the object go (Dispose does
  // it too; tearing down a whole tree does it first, everywhere).
  void ReleaseScriptObject();
  bool holdsScriptObject() const { return scriptObject_.kind == vm::vtObject; }

  std::string src;  // absolute path of the file holding this resource's source

 protected:
  // A class resource: the resource face of a class object, under its handle.
  TResource(std::string name, SharedHandle shared);
  TResource(const TSGML& tag, std::string_view dir, SharedHandle shared);

  friend class TResourceList;
  TResourceList* parent_ = nullptr;
  vm::TValue scriptObject_;

 private:
  std::string name_;
};

// Before a whole tree goes: every resource's script object (onDestroy first) and
// then every global's value are let go, and every object no longer referenced is
// finished (destructors included), while every class they are instances of is
// still in place. Tearing the tree down after that finds no script object whose
// class went before it. With `leaveSilentGarbage` (a process about to end),
// garbage whose finishing nothing could see (strings that only give their bodies
// back, vm::FinishingIsSilent) is left, unless a destructor is still waiting to
// run: FinishSilentGarbage finishes it should the tree be torn down after all.
void ReleaseScriptObjects(TResource& root, bool leaveSilentGarbage = false);
void FinishSilentGarbage(TResource& root);

// Whether destroying the tree now would run no script code and say nothing: no
// resource or global holds an object, no class has garbage left to finish (other
// than silent garbage) and no destructor is waiting. True after ReleaseScriptObjects unless a
// destructor it ran stored an object again or kept making garbage.
bool TreeTeardownIsSilent(TResource& root);

}  // namespace zunka
