#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sjis_text.h"
#include "resources/resource.h"

namespace zunka {

// An ordered list of resources that it owns. Insertion order is kept: every walk
// and every written file follows it.
class TResourceList : public TResource {
 public:
  explicit TResourceList(std::string name) : TResource(std::move(name)) {}
  // The list and, through the tag dispatch, one resource per child element.
  TResourceList(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TResourceList"; }

  int count() const { return static_cast<int>(children_.size()); }
  TResource* childAt(int index) const { return children_[index].get(); }
  int indexOf(const TResource* child) const;
  // Takes a child out without destroying it (the caller owns it afterwards).
  ResourcePtr Detach(TResource* child);
  // Destroys the child at `index` (raising, and keeping it, when it must stay).
  void RemoveAtIndex(int index);

  std::unique_ptr<TIterator> CreateIterator() override;
  void Add(ResourcePtr child) override;
  TResource* FindChild(std::string_view name) const override;
  void Remove(TResource* child) override;
  void InitPass(TInitContext& context) override;
  void NarrowCommonDir(std::string& dir) const override;
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;
  void ForgetObjects() override;
  void Mark() override;
  void Sweep() override;
  void ListPaths(std::vector<std::string>& lines, const std::string& path) const override;
  void Visit(TResourceIterator& visitor) override;
  void CheckRemovable() const override;
  void Dispose() override;

  // A child was renamed: the index by name is rebuilt when next needed.
  void ChildRenamed() { indexValid_ = false; }

 private:
  // Lists this long find children through an index by folded name (the first
  // child of a name wins, as a scan would find it).
  static constexpr size_t kIndexedFrom = 16;
  void rebuildIndex() const;

  std::vector<ResourcePtr> children_;
  mutable std::unordered_map<std::string_view, TResource*, platform::FoldedNameHash,
                             platform::FoldedNameEqual>
      byName_;
  mutable bool indexValid_ = false;
};

// Iterates a list's children by position.
class TResListIterator : public TIterator {
 public:
  explicit TResListIterator(TResourceList& list) : list_(list) {}
  bool HasNext() override { return position_ < list_.count(); }
  TResource* Next() override { return list_.childAt(position_++); }
  void RemoveCurrent() override {
    list_.RemoveAtIndex(position_ - 1);  // may refuse (a class with live objects)
    --position_;
  }

 private:
  TResourceList& list_;
  int position_ = 0;
};

}  // namespace zunka
