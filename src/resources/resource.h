#pragma once
#include <string>

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

  const char* hostClassName() const override { return "TResource"; }

  std::string src;  // source file path, when the resource has one

 private:
  std::string name_;
  TResource* parentResource_ = nullptr;
};

}  // namespace zunka
