#include "compiler/definition_reader.h"

#include <charconv>

#include "compiler/res_list.h"
#include "vm/errors.h"

namespace zunka {
namespace {

int depthOf(const std::string& line) {
  size_t depth = line.find_first_not_of(' ');
  return static_cast<int>(depth == std::string::npos ? line.size() : depth);
}

const DefinitionElement* findTopLevel(const DefinitionElement& root, std::string_view name) {
  for (const DefinitionElement& rule : root.children)
    if (rule.name == name) return &rule;
  return nullptr;
}

// Parses "$5c": a '$' and a hexadecimal byte value.
bool parseHexByte(std::string_view text, uint8_t& byte) {
  unsigned value = 0;
  const char* first = text.data() + 1;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(first, last, value, 16);
  if (first == last || error != std::errc() || end != last || value > 0xFF) return false;
  byte = static_cast<uint8_t>(value);
  return true;
}

class DefinitionReader {
 public:
  DefinitionReader(const std::vector<std::string>& lines, const DefinitionSources& sources)
      : lines_(lines), sources_(sources) {}

  std::unique_ptr<DefinitionElement> read() {
    auto root = std::make_unique<DefinitionElement>();
    if (!lines_.empty()) readElement(*root, 0, 0);
    return root;
  }

 private:
  bool lexical() const { return sources_.side == DefinitionSide::kLexical; }

  void report(const std::string& message) const {
    if (sources_.report && *sources_.report) (*sources_.report)(message);
  }

  // Reads the element on line `index` at `depth` and its subtree; returns the
  // index of the first line after the subtree. Lines more than one level deeper
  // than an element that are not inside one of its children belong to nothing.
  size_t readElement(DefinitionElement& element, size_t index, int depth) {
    const std::string& line = lines_[index];
    if (!line.empty() && line.back() == ' ') report("Wanring: extra space in " + line);
    std::string_view text = std::string_view(line).substr(std::min<size_t>(depth, line.size()));
    interpretLine(element, text);
    if (!lexical()) assignPrototype(element);
    // Links point at elements, so a child array must never reallocate once filled.
    element.children.reserve(countChildren(index, depth));
    size_t next = index + 1;
    while (next < lines_.size() && depthOf(lines_[next]) > depth) {
      if (depthOf(lines_[next]) != depth + 1) {
        ++next;
        continue;
      }
      element.children.emplace_back();
      next = readElement(element.children.back(), next, depth + 1);
    }
    if (element.kind == ElementKind::kRange) setRangeBounds(element);
    return next;
  }

  size_t countChildren(size_t index, int depth) const {
    size_t count = 0;
    for (size_t i = index + 1; i < lines_.size() && depthOf(lines_[i]) > depth; ++i)
      count += depthOf(lines_[i]) == depth + 1;
    return count;
  }

  void interpretLine(DefinitionElement& element, std::string_view text) {
    element.link = &element;
    char first = text.empty() ? '\0' : text[0];
    if (first == '\'') {
      element.kind = ElementKind::kLiteral;
      element.name = text.substr(1);
      if (!lexical()) linkTerminal(element);
    } else if (first == '$' && lexical()) {
      element.kind = ElementKind::kLiteral;
      uint8_t byte = 0;
      if (parseHexByte(text, byte)) {
        element.name.assign(1, static_cast<char>(byte));
      } else {
        report("バグ発生:" + std::string(text) + " is not a hexadecimal byte.");
        element.link = nullptr;  // never matches
      }
    } else if (first == '-' && lexical()) {
      element.kind = ElementKind::kRange;
      element.name = text.substr(1);
    } else if (first == '[' || first == '{') {
      element.kind = ElementKind::kSequence;
      bool optional = first == '[' && text.size() > 1 && text[1] == ']';
      element.minimum = (first == '{' || optional) ? 0 : 1;
      element.maximum = optional ? 1 : kUnbounded;
      element.name = text.substr(std::min<size_t>(2, text.size()));
    } else if (first == '|') {
      element.kind = ElementKind::kAlternatives;
      element.name = text.substr(1);
    } else {
      element.kind = ElementKind::kReference;
      element.name = text;
    }
  }

  void linkTerminal(DefinitionElement& terminal) {
    terminal.link =
        sources_.lexicalRoot ? findTopLevel(*sources_.lexicalRoot, terminal.name) : nullptr;
    if (!terminal.link) report("バグ発生:" + terminal.name + " is not linked.");
  }

  // A range's bounds are the bytes of its two children, each written as a quoted
  // character or a '$' byte; anything else reads as zero, which is a fault.
  void setRangeBounds(DefinitionElement& range) {
    auto bound = [&](size_t i) -> uint8_t {
      if (i >= range.children.size()) return 0;
      const DefinitionElement& child = range.children[i];
      if (child.kind != ElementKind::kLiteral || !child.link || child.name.empty()) return 0;
      return static_cast<uint8_t>(child.name[0]);
    };
    range.low = bound(0);
    range.high = bound(1);
    if (range.low == 0 || range.high == 0)
      report("バグ発生:Please Put '' or $ at the first letters of each children");
  }

  void assignPrototype(DefinitionElement& element) {
    if (!sources_.onCreateList || !*sources_.onCreateList) throw EError("No onCreateList Assigned");
    TResListGetter getter{element.name, nullptr};
    (*sources_.onCreateList)(&getter);
    // A mapping that supplies nothing gets the plain node class rather than
    // leaving the parser without a class to instantiate.
    element.prototype =
        getter.prototype ? std::move(getter.prototype) : std::make_unique<TResList>();
    if (element.kind == ElementKind::kSequence && element.prototype->emptyMayBeShared())
      element.emptyNode = makeLentNode(*element.prototype);
  }

  const std::vector<std::string>& lines_;
  const DefinitionSources& sources_;
};

// A reference naming another top-level rule links to it; any other reference
// (a top-level rule finds only itself) becomes a plain sequence of its children.
void resolveReferences(const DefinitionElement& root, DefinitionElement& element) {
  for (DefinitionElement& child : element.children) resolveReferences(root, child);
  if (element.kind != ElementKind::kReference) return;
  const DefinitionElement* rule = findTopLevel(root, element.name);
  if (rule && rule != &element) {
    element.link = rule;
    return;
  }
  element.kind = ElementKind::kSequence;
  element.minimum = element.maximum = 1;
  element.link = &element;
}

}  // namespace

std::unique_ptr<DefinitionElement> readDefinition(const std::vector<std::string>& lines,
                                                  const DefinitionSources& sources) {
  std::unique_ptr<DefinitionElement> root = DefinitionReader(lines, sources).read();
  resolveReferences(*root, *root);
  for (size_t i = 0; i < root->children.size(); ++i) root->children[i].index = static_cast<int>(i);
  return root;
}

std::vector<std::string> splitDefinitionLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace zunka
