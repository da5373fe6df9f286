// The class resource as a node of the tree: creation, initialisation, writing,
// the collector's walk and destruction.
#include "resources/rtti.h"
#include "resources/class_source.h"
#include "resources/compile_service.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/trusted_folders.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/runtime.h"

namespace zunka {

using namespace vm;

TRTTI::TRTTI(std::string name)
    : TResource(std::move(name), SharedHandle{vm::ClassObject::handle()}) {
  registerAlias();
}

TRTTI::TRTTI(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir, SharedHandle{vm::ClassObject::handle()}),
      category(tag.GetAttr("category")) {
  registerAlias();
}

TRTTI::~TRTTI() {
  // The instances' destructors run while the class is still whole.
  Reset();
  if (aliased) resourceTree().aliases.Delete(this);
}

void TRTTI::registerAlias() {
  // The first class of a name owns the bare name; a nameless class (made before
  // its name is set) never enters the table.
  if (name().empty() || !resourceTree().aliasRegistration || resourceTree().aliases.Get(name()))
    return;
  resourceTree().aliases.Add(name(), this);
  aliased = true;
}

void TRTTI::InitPass(TInitContext& context) {
  if (!compiled) {
    Reset();
    CheckSourceInside(src);
    ClassSource source = ClassSource::OfFile(src);
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
                  EscapeAttr(RelativePath(src, resourceTree().workDir)) + "\" category=\"" +
                  EscapeAttr(category) + "\"/>");
}

void TRTTI::ForgetObjects() {
  TResource::ForgetObjects();
  DestroyInstances();
}

void TRTTI::Mark() {
  TResource::Mark();
  MarkInstances();
}

void TRTTI::Sweep() {
  Log("sweeping " + name());
  SweepInstances();
}

void TRTTI::CheckRemovable() const {
  if (!NoLiveInstances()) throw EError(DisplayName() + ":オブジェクトがまだ残っています");
}

void TRTTI::Dispose() {
  Reset();
  if (aliased) resourceTree().aliases.Delete(this);
  aliased = false;
  TResource::Dispose();
}

}  // namespace zunka
