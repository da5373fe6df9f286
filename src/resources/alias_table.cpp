#include "resources/alias_table.h"

#include "resources/rtti.h"
#include "resources/sjis_text.h"

namespace zunka {

void TAlias::Add(std::string_view name, TRTTI* cls) {
  entries_[foldAsciiCase(name)] = cls;
}

TRTTI* TAlias::Get(std::string_view name) const {
  auto it = entries_.find(foldAsciiCase(name));
  return it == entries_.end() ? nullptr : it->second;
}

void TAlias::Delete(const TRTTI* cls) {
  auto it = entries_.find(foldAsciiCase(cls->name()));
  if (it != entries_.end() && it->second == cls) entries_.erase(it);
}

}  // namespace zunka
