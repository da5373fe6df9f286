#pragma once
#include <string>

#include <string_view>

#include "vm/arena.h"
#include "vm/host_object.h"

namespace zunka {

// A named node of the resource tree. (The tree's full behaviour grows around this
// base; the virtual machine needs only names and paths.)
class TResource : public vm::HostObject {
 public:
  explicit TResource(std::string name, vm::HostKind kind = vm::HostKind::Resource)
      : HostObject(kind), name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  TResource* parentResource() const { return parentResource_; }
  void setParentResource(TResource* p) { parentResource_ = p; }

  // Dotted path from the root, such as classes.lang.Object.
  std::string FullPath() const;

  // Lookups of the tree (the container and root behaviour live in the list
  // classes); a plain resource finds nothing and holds no value cell.
  virtual TResource* Find(std::string_view path) { return path.empty() ? this : nullptr; }
  virtual TResource* FindChild(std::string_view) { return nullptr; }
  virtual vm::Ref ValueCell() const { return 0; }

  const char* hostClassName() const override { return "TResource"; }

  std::string src;  // source file path, when the resource has one

 private:
  std::string name_;
  TResource* parentResource_ = nullptr;
};

}  // namespace zunka
