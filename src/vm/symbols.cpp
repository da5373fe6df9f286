#include "vm/symbols.h"

#include "platform/sjis_text.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace zunka::vm::symbols {
namespace {

struct Table {
  static constexpr size_t kNamesAtStart = 512;
  std::unordered_map<std::string, Symbol, platform::FoldedNameHash, platform::FoldedNameEqual>
      byKey;
  std::vector<std::string> texts;

  Table() {
    // Starting the player interns a few hundred names (every kernel method,
    // member and linked global): room for them is made once, not by growing.
    byKey.reserve(kNamesAtStart);
    texts.reserve(kNamesAtStart);
    for (const char* name : {"_body", "gc_mark", "_generator", "_errorHook"}) add(name);
  }
  Symbol add(std::string_view name) {
    // One hash and one search whether the name is new or not: most names are
    // short enough that the key costs no allocation when it turns out known.
    auto [at, added] = byKey.try_emplace(std::string(name), static_cast<Symbol>(texts.size()));
    if (added) texts.emplace_back(name);
    return at->second;
  }
};

// Never destroyed: symbols are numbers in code and class files until the process
// ends, and freeing thousands of names one by one at exit only costs time.
Table& table() {
  static Table& t = *new Table;
  return t;
}

}  // namespace

Symbol intern(std::string_view name) {
  return table().add(name);
}

int64_t lookup(std::string_view name) {
  auto& t = table();
  auto it = t.byKey.find(name);
  return it == t.byKey.end() ? -1 : int64_t(it->second);
}

const std::string& text(Symbol symbol) {
  static const std::string empty;
  auto& t = table();
  return symbol < t.texts.size() ? t.texts[symbol] : empty;
}

uint32_t count() {
  return static_cast<uint32_t>(table().texts.size());
}

bool sameName(std::string_view a, std::string_view b) {
  return platform::sameFolded(a, b);
}

}  // namespace zunka::vm::symbols
