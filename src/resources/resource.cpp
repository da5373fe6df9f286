#include "resources/resource.h"

namespace zunka {

std::string TResource::FullPath() const {
  std::string path = name_;
  for (TResource* p = parentResource_; p && p->parentResource_; p = p->parentResource_)
    path = p->name_ + "." + path;
  return path;
}

}  // namespace zunka
