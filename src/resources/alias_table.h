#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/sjis_text.h"

namespace zunka {

class TRTTI;

// Bare class names that resolve at the root of the tree ("Object" for
// classes.lang.Object). Names compare without regard to ASCII case.
class TAlias {
 public:
  // Enters the name, replacing the class of an existing entry.
  void Add(std::string_view name, TRTTI* cls);
  TRTTI* Get(std::string_view name) const;
  // Removes the class's entry, whatever name it entered under.
  void Delete(const TRTTI* cls);
  void clear() { entries_.clear(); }
  size_t size() const { return entries_.size(); }

 private:
  std::unordered_map<std::string, TRTTI*, platform::FoldedNameHash, platform::FoldedNameEqual>
      entries_;  // names compare folded
};

}  // namespace zunka
