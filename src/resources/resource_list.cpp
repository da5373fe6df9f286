#include "resources/resource_list.h"

#include <algorithm>

#include "platform/sjis_text.h"

#include "resources/sgml.h"
#include "resources/tag_dispatch.h"
#include "vm/symbols.h"

namespace zunka {

TResourceList::TResourceList(const TSGML& tag, std::string_view dir) : TResource(tag, dir) {
  for (const auto& child : tag.children())
    if (ResourcePtr made = ResourceFromTag(*child, dir)) Add(std::move(made));
}

int TResourceList::indexOf(const TResource* child) const {
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i].get() == child) return static_cast<int>(i);
  return -1;
}

ResourcePtr TResourceList::Detach(TResource* child) {
  int index = indexOf(child);
  if (index < 0) return nullptr;
  ResourcePtr taken = std::move(children_[index]);
  children_.erase(children_.begin() + index);
  taken->parent_ = nullptr;
  indexValid_ = false;
  return taken;
}

void TResourceList::RemoveAtIndex(int index) {
  if (index < 0 || index >= count()) return;
  children_[index]->CheckRemovable();
  ResourcePtr taken = std::move(children_[index]);
  children_.erase(children_.begin() + index);
  taken->parent_ = nullptr;
  indexValid_ = false;
}

std::unique_ptr<TIterator> TResourceList::CreateIterator() {
  return std::make_unique<TResListIterator>(*this);
}

void TResourceList::Add(ResourcePtr child) {
  if (!child) return;
  TResource* added = child.get();
  children_.push_back(std::move(child));
  added->parent_ = this;
  if (indexValid_) byName_.try_emplace(added->name(), added);
  added->ParentChanged(this);
}

TResource* TResourceList::FindChild(std::string_view name) const {
  if (children_.size() < kIndexedFrom) {
    for (const ResourcePtr& child : children_)
      if (platform::sameFolded(child->name(), name)) return child.get();
    return nullptr;
  }
  if (!indexValid_) rebuildIndex();
  auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : found->second;
}

void TResourceList::rebuildIndex() const {
  byName_.clear();
  for (const ResourcePtr& child : children_) byName_.try_emplace(child->name(), child.get());
  indexValid_ = true;
}

void TResourceList::Remove(TResource* child) {
  RemoveAtIndex(indexOf(child));
}

void TResourceList::InitPass(TInitContext& context) {
  // By position: a pass may add globals to a list it walks.
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->InitPass(context);
}

void TResourceList::NarrowCommonDir(std::string& dir) const {
  TResource::NarrowCommonDir(dir);
  for (const ResourcePtr& child : children_) child->NarrowCommonDir(dir);
}

void TResourceList::WriteTag(std::vector<std::string>& lines, const std::string& indent,
                             int flags) {
  lines.push_back(indent + "<resourcelist name=\"" + EscapeAttr(name()) + "\">");
  std::string inner = indent + " ";
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->WriteTag(lines, inner, flags);
  lines.push_back(indent + "</resourcelist>");
}

void TResourceList::ForgetObjects() {
  TResource::ForgetObjects();
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->ForgetObjects();
}

void TResourceList::Mark() {
  TResource::Mark();
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Mark();
}

void TResourceList::Sweep() {
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Sweep();
}

void TResourceList::ListPaths(std::vector<std::string>& lines, const std::string& path) const {
  lines.push_back(path.empty() ? "<root>" : path);
  for (const ResourcePtr& child : children_)
    child->ListPaths(lines, path.empty() ? child->name() : path + "." + child->name());
}

void TResourceList::Visit(TResourceIterator& visitor) {
  TResource::Visit(visitor);
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Visit(visitor);
}

void TResourceList::CheckRemovable() const {
  for (const ResourcePtr& child : children_) child->CheckRemovable();
}

void TResourceList::Dispose() {
  // From the front, one at a time: each child goes after its own subtree.
  // Taken from the back of a reversed list: erasing the front of a list of tens of
  // thousands (a page's globals) one at a time would be quadratic.
  indexValid_ = false;
  byName_.clear();
  std::reverse(children_.begin(), children_.end());
  while (!children_.empty()) {
    ResourcePtr first = std::move(children_.back());
    children_.pop_back();
    first->parent_ = nullptr;
  }
  TResource::Dispose();
}

}  // namespace zunka
