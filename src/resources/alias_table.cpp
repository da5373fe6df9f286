#include "resources/alias_table.h"

#include "platform/sjis_text.h"
#include "resources/rtti.h"

namespace zunka {

void TAlias::Add(std::string_view name, TRTTI* cls) {
  entries_.insert_or_assign(std::string(name), cls);
}

TRTTI* TAlias::Get(std::string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : it->second;
}

// By the class rather than its present name: a class may have been renamed since
// it entered the table (a linked file whose element is a class takes the name of
// its place), and its old entry must not outlive it.
void TAlias::Delete(const TRTTI* cls) {
  auto it = entries_.find(std::string_view(cls->name()));
  if (it != entries_.end() && it->second == cls) {
    entries_.erase(it);
    return;
  }
  std::erase_if(entries_, [cls](const auto& entry) { return entry.second == cls; });
}

}  // namespace zunka
