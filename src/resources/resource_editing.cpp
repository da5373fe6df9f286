#include "resources/resource_editing.h"

#include <algorithm>

#include "debug/time_analyzer.h"
#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/sgml.h"
#include "resources/tag_dispatch.h"
#include "resources/text_file.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/symbols.h"

namespace zunka {
namespace {

constexpr int kSectionParse = 66;  // time-analyser section of the tag-text parse

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whether a character starts at byte `at` (the 5F of a double-byte character is
// no "_").
bool startsCharacter(std::string_view s, size_t at) {
  size_t i = 0;
  while (i < at) i += platform::sjisCharLength(s, i);
  return i == at;
}

// The number of a trailing /\_([0-9][0-9]*)$/, or -1 without one.
int64_t trailingNumber(std::string_view name) {
  size_t start = name.size();
  while (start > 0 && isDigit(name[start - 1])) --start;
  if (start == name.size() || start == 0 || name[start - 1] != '_' ||
      !startsCharacter(name, start - 1))
    return -1;
  int64_t n = 0;
  for (size_t i = start; i < name.size(); ++i)
    n = std::min<int64_t>(n * 10 + (name[i] - '0'), INT32_MAX - 1);
  return n;
}

TResource* resourceAt(std::string_view path) {
  return resourceTree().root ? resourceTree().root->Find(path) : nullptr;
}

void createStarterFile(const std::string& file, const std::string& text) {
  std::string path = ResolvePath(file, resourceTree().workDir);
  if (!platform::fileExists(path) && !platform::writeFile(path, text))
    throw EError("Cannot create file \"" + path + "\"");
}

}  // namespace

std::string UniqueChildName(const TResourceList& list, std::string_view name) {
  if (!list.FindChild(name)) return std::string(name);
  std::string stem(name);
  if (trailingNumber(stem) >= 0)
    stem.erase(platform::findLastSjisChar(stem, '_'));  // s/\_[0-9][0-9]*$//
  std::string foldedStem = platform::foldAsciiCase(stem);
  int64_t max = 0;
  for (int i = 0; i < list.count(); ++i) {
    const std::string& child = list.childAt(i)->name();
    // A substring test: "myitem_7" counts for the stem "item".
    if (platform::foldAsciiCase(child).find(foldedStem) == std::string::npos) continue;
    max = std::max(max, trailingNumber(child));
  }
  return stem + "_" + std::to_string(max + 1);
}

bool MergeMissing(TResourceList& target, const TResourceList& source) {
  bool added = false;
  for (int i = 0; i < source.count(); ++i) {
    TResource* child = source.childAt(i);
    if (target.FindChild(child->name())) continue;
    target.Add(child->Clone());
    added = true;
  }
  return added;
}

TResource* CreateResourceAt(std::string_view file, std::string_view path, NewResourceKind kind) {
  std::string name = LastName(path);
  std::string f(file);
  std::string text;
  switch (kind) {
    case NewResourceKind::List:
      text = "<resourcelist name=\"" + EscapeAttr(name) + "\"></resourcelist>";
      break;
    case NewResourceKind::Global:
      text = "<globalvalue name=\"" + EscapeAttr(name) + "\" value=\"0\">";
      break;
    case NewResourceKind::Class:
      createStarterFile(f, "extends classes.lang.Object;\r\n");
      text = "<class src=\"" + EscapeAttr(f) + "\">";
      break;
    case NewResourceKind::Link:
      createStarterFile(f,
                        "<resourcelist name=\"" + EscapeAttr(name) + "\">\r\n</resourcelist>\r\n");
      text = "<link src=\"" + EscapeAttr(f) + "\">";
      break;
  }
  ResourcePtr made;
  {
    TimeSection parse(kSectionParse);
    made = ParseResourceText(text);
  }
  if (!made) return nullptr;
  made->setName(name);
  made->src = f;
  TResource* parent = resourceAt(ParentPath(path));
  if (!parent) return nullptr;
  TResource* result = made.get();
  parent->Add(std::move(made));
  return result;
}

void AttachAt(std::string_view path, ResourcePtr list) {
  if (!list) return;
  list->setName(LastName(path));
  if (TResource* parent = resourceAt(ParentPath(path))) parent->Add(std::move(list));
}

void RemoveAt(std::string_view path) {
  if (TResource* parent = resourceAt(ParentPath(path))) {
    if (TResource* target = resourceAt(path)) parent->Remove(target);
  }
}

void SaveResource(std::string_view path) {
  TResource* r = resourceAt(path);
  if (!r) return;
  if (r->src.empty()) {
    LogError(std::string(path) + "は保存できません", {}, true);
    return;
  }
  std::vector<std::string> lines;
  r->WriteTag(lines, "", 0);
  if (!platform::writeFile(r->src, JoinLines(lines)))
    throw EError("Cannot create file \"" + r->src + "\"");
}

}  // namespace zunka
