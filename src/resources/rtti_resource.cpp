// The class resource as a node of the tree: creation, initialisation, writing,
// the collector's walk and destruction.
#include "resources/class_compiler.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/text_file.h"
#include "shell/console.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/runtime.h"

namespace zunka {

using namespace vm;

TRTTI::TRTTI(std::string name) : TResource(std::move(name), HostKind::Class) {
  initializeRuntime();
  classRefCell_ = Arena::allocate(sizeof(TValue));
  *valueAt(classRefCell_) = TValue::ofRef(vtHost, handle());
  registerAlias();
}

TRTTI::TRTTI(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir, HostKind::Class), category(tag.GetAttr("category")) {
  initializeRuntime();
  classRefCell_ = Arena::allocate(sizeof(TValue));
  *valueAt(classRefCell_) = TValue::ofRef(vtHost, handle());
  registerAlias();
}

TRTTI::~TRTTI() {
  Reset();
  if (aliased) resourceTree.aliases.Delete(this);
  // Like a global's cell, the class cell outlives the class: code may point at it.
  // Its stale handle names nothing any more.
  *valueAt(classRefCell_) = TValue{};
}

void TRTTI::registerAlias() {
  // The first class of a name owns the bare name; a nameless class (made before
  // its name is set) never enters the table.
  if (name().empty() || !resourceTree.aliasRegistration || resourceTree.aliases.Get(name())) return;
  resourceTree.aliases.Add(name(), this);
  aliased = true;
}

void TRTTI::InitPass(TInitContext& context) {
  if (!compiled) {
    Reset();
    std::string source = ReadTextFile(src);
    if (ClassCompiler* compiler = classCompiler()) compiler->Compile(*this, source, true);
  }
  if (failed)
    ++context.failed;
  else if (compiled)
    ++context.done;
  else
    ++context.pending;
}

void TRTTI::WriteTag(std::vector<std::string>& lines, const std::string& indent, int) {
  lines.push_back(indent + "<class name=\"" + EscapeAttr(name()) + "\" src=\"" +
                  EscapeAttr(RelativePath(src, resourceTree.workDir)) + "\" category=\"" +
                  EscapeAttr(category) + "\"/>");
}

void TRTTI::ForgetObjects() {
  TResource::ForgetObjects();
  // By index: destructors may make new instances of this very class.
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount >= 0) DestroyObject(pool_[i]);
}

void TRTTI::Mark() {
  TResource::Mark();
  if (!CollectorChecking()) return;
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount > 0) MarkObject(pool_[i]);
}

void TRTTI::Sweep() {
  Log("sweeping " + name());
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount >= 0) SweepObject(pool_[i]);
}

void TRTTI::CheckRemovable() const {
  if (!NoLiveInstances()) throw EError(DisplayName() + ":オブジェクトがまだ残っています");
}

void TRTTI::Dispose() {
  Reset();
  if (aliased) resourceTree.aliases.Delete(this);
  aliased = false;
  TResource::Dispose();
}

}  // namespace zunka
