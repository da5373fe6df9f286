#include "resources/tag_resource.h"

#include "platform/sjis_text.h"

namespace zunka {
namespace {

// The element's start tag; the name attribute shows the resource's current name
// (a resource may have been renamed since it was read).
std::string startTag(const TSGML& tag, const std::string& currentName) {
  std::string out = "<" + tag.TagName();
  bool named = false;
  for (const std::string& line : tag.attributeLines()) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    std::string name = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (!named && platform::foldAsciiCase(name) == "name") {
      value = currentName;
      named = true;
    }
    if (!value.empty()) out += " " + name + "=\"" + EscapeAttr(value) + "\"";
  }
  if (!named && !currentName.empty()) out += " name=\"" + EscapeAttr(currentName) + "\"";
  return out;
}

void writeElement(const TSGML& tag, const std::string& name, std::vector<std::string>& lines,
                  const std::string& indent) {
  std::string head = indent + startTag(tag, name);
  if (tag.children().empty()) {
    lines.push_back(head + "/>");
    return;
  }
  lines.push_back(head + ">");
  for (const auto& child : tag.children())
    writeElement(*child, child->GetAttr("name"), lines, indent + " ");
  lines.push_back(indent + "</" + tag.TagName() + ">");
}

}  // namespace

std::unique_ptr<TSGML> CopyElement(const TSGML& tag) {
  auto copy = std::make_unique<TSGML>(tag.TagName());
  for (const std::string& line : tag.attributeLines()) {
    size_t eq = line.find('=');
    copy->AppendAttr(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
  }
  for (const auto& child : tag.children()) copy->AddChild(CopyElement(*child));
  return copy;
}

TTagResource::TTagResource(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir), element_(CopyElement(tag)) {}

void TTagResource::WriteTag(std::vector<std::string>& lines, const std::string& indent, int) {
  writeElement(*element_, name(), lines, indent);
}

}  // namespace zunka
