#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// One element of a tag file: a tag name, ordered attributes and children, and (for
// the pattern reader) the text found between the children. Attributes are kept as
// "name=value" lines so that their order and spelling survive a rewrite.
class TSGML {
 public:
  TSGML() = default;
  explicit TSGML(std::string tagName) : tagName_(std::move(tagName)) {}

  const std::string& TagName() const { return tagName_; }
  void SetTagName(std::string name) { tagName_ = std::move(name); }

  // The value after the first "=" of the first line whose name matches without
  // regard to ASCII case; "" when absent.
  std::string GetAttr(std::string_view name) const;
  std::string AttrName(int index) const;
  int AttrCount() const { return static_cast<int>(attributes_.size()); }
  const std::vector<std::string>& attributeLines() const { return attributes_; }
  // Removes the line of exactly this name, wherever it stands, and appends a new one.
  void SetAttr(std::string_view name, std::string_view value);
  // Appends a line as the character reader finds it (duplicates stay).
  void AppendAttr(std::string_view name, std::string_view value);

  void AddChild(std::unique_ptr<TSGML> child) { children_.push_back(std::move(child)); }
  const std::vector<std::unique_ptr<TSGML>>& children() const { return children_; }
  std::vector<std::string>& texts() { return texts_; }
  const std::vector<std::string>& texts() const { return texts_; }

  // The element as tag text: childless elements end in "/>" with no line end;
  // otherwise ">" CR LF, each child one space further in, then the end tag.
  std::string ToText(std::string_view indent = "") const;

 private:
  std::vector<std::string> attributes_;
  std::vector<std::unique_ptr<TSGML>> children_;
  std::vector<std::string> texts_;
  std::string tagName_;
};

// The four-character escape of attribute values: "%" first, then `"`, "<", ">".
std::string EscapeAttr(std::string_view value);
// One unescape pass of the pattern reader: "%3c", "%3e", "%22", then "%25".
std::string UnescapeOnce(std::string_view value);

// Name characters of tags and attributes: ASCII letters, digits and "_".
inline bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Elements that never have children, even when their start tag ends with ">".
bool isChildlessTag(std::string_view tagName);

}  // namespace zunka
