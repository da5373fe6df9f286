#include "resources/sgml.h"

#include "platform/sjis_text.h"

namespace zunka {
namespace {

std::string_view nameOf(std::string_view line) {
  return line.substr(0, line.find('='));
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  size_t start = 0;
  for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
    out.append(text, start, at - start);
    out += to;
  }
  out.append(text, start);
  text.swap(out);
}

}  // namespace

std::string TSGML::GetAttr(std::string_view name) const {
  std::string wanted = platform::foldAsciiCase(name);
  for (const std::string& line : attributes_) {
    size_t eq = line.find('=');
    if (eq != std::string::npos &&
        platform::foldAsciiCase(std::string_view(line).substr(0, eq)) == wanted)
      return line.substr(eq + 1);
  }
  return "";
}

std::string TSGML::AttrName(int index) const {
  if (index < 0 || index >= AttrCount()) return "";
  return std::string(nameOf(attributes_[index]));
}

void TSGML::SetAttr(std::string_view name, std::string_view value) {
  for (auto it = attributes_.begin(); it != attributes_.end(); ++it) {
    if (it->find('=') != std::string::npos && nameOf(*it) == name) {
      attributes_.erase(it);
      break;
    }
  }
  AppendAttr(name, value);
}

void TSGML::AppendAttr(std::string_view name, std::string_view value) {
  std::string line(name);
  line += '=';
  line += value;
  attributes_.push_back(std::move(line));
}

std::string TSGML::ToText(std::string_view indent) const {
  std::string out(indent);
  out += "<" + tagName_;
  for (const std::string& line : attributes_) {
    // Lines of the form /^([^=]+)=(.+)$/ are written: a name and a value that are
    // both non-empty. (A value may hold line ends; it is written all the same.)
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == line.size()) continue;
    out +=
        " " + line.substr(0, eq) + "=\"" + EscapeAttr(std::string_view(line).substr(eq + 1)) + "\"";
  }
  if (children_.empty()) return out + "/>";
  out += ">\r\n";
  std::string inner = std::string(indent) + " ";
  for (const auto& child : children_) out += child->ToText(inner);
  out += std::string(indent) + "</" + tagName_ + ">";
  return out;
}

std::string EscapeAttr(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '%':
        out += "%25";
        break;
      case '"':
        out += "%22";
        break;
      case '<':
        out += "%3c";
        break;
      case '>':
        out += "%3e";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeOnce(std::string_view value) {
  std::string text(value);
  replaceAll(text, "%3c", "<");
  replaceAll(text, "%3e", ">");
  replaceAll(text, "%22", "\"");
  replaceAll(text, "%25", "%");
  return text;
}

bool isChildlessTag(std::string_view tagName) {
  return tagName == "class" || tagName == "globalvalue" || tagName == "link" ||
         tagName == "generator" || tagName == "cpattern";
}

}  // namespace zunka
