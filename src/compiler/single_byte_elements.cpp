#include "compiler/single_byte_elements.h"

#include <algorithm>
#include <unordered_set>

namespace zunka {
namespace {

class SingleByteMarker {
 public:
  void mark(DefinitionElement& element) {
    if (!visiting_.insert(&element).second) return;  // a rule reached through itself
    for (DefinitionElement& child : element.children) mark(child);
    switch (element.kind) {
      case ElementKind::kRange:
        for (int byte = element.low; byte <= element.high; ++byte)
          element.singleBytes.add(static_cast<uint8_t>(byte));
        element.singleByte = true;
        break;
      case ElementKind::kLiteral:
        if (element.link && element.name.size() == 1) {
          element.singleBytes.add(static_cast<uint8_t>(element.name[0]));
          element.singleByte = true;
        }
        break;
      case ElementKind::kReference:
        markThrough(element, const_cast<DefinitionElement&>(*element.link));
        break;
      case ElementKind::kSequence:
        if (element.minimum == 1 && element.maximum == 1 && element.children.size() == 1)
          markThrough(element, element.children[0]);
        break;
      case ElementKind::kAlternatives:
        markAlternatives(element);
        break;
    }
  }

 private:
  // An element that only matches `inner` one level down.
  void markThrough(DefinitionElement& element, DefinitionElement& inner) {
    mark(inner);
    if (!inner.singleByte) return;
    element.singleBytes = inner.singleBytes;
    element.singleByte = true;
    element.singleByteHeight = inner.singleByteHeight + 1;
  }

  void markAlternatives(DefinitionElement& element) {
    size_t leading = 0;
    int height = 0;
    for (const DefinitionElement& child : element.children) {
      if (!child.singleByte) break;
      element.leadingBytes.unite(child.singleBytes);
      height = std::max(height, child.singleByteHeight);
      ++leading;
    }
    element.leadingSingleByteChildren = leading;
    element.leadingHeight = height;
    if (leading == 0 || leading != element.children.size()) return;
    element.singleBytes = element.leadingBytes;
    element.singleByte = true;
    element.singleByteHeight = height + 1;
  }

  std::unordered_set<const DefinitionElement*> visiting_;
};

}  // namespace

void markSingleByteElements(DefinitionElement& lexicalRoot) {
  SingleByteMarker marker;
  for (DefinitionElement& rule : lexicalRoot.children) marker.mark(rule);
}

}  // namespace zunka
