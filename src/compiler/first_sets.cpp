#include "compiler/first_sets.h"

namespace zunka {
namespace {

void seed(DefinitionElement& element) {
  for (DefinitionElement& child : element.children) seed(child);
  if (element.kind == ElementKind::kLiteral && element.link && !element.name.empty()) {
    element.first.add(static_cast<uint8_t>(element.name[0]));
  } else if (element.kind == ElementKind::kRange) {
    for (int byte = element.low; byte <= element.high; ++byte)
      element.first.add(static_cast<uint8_t>(byte));
  }
}

// Children first, so a parent sees their sets of this pass.
bool update(DefinitionElement& element) {
  bool changed = false;
  for (DefinitionElement& child : element.children) changed |= update(child);
  switch (element.kind) {
    case ElementKind::kSequence:
      // Only the first child counts, even when it is optional.
      if (!element.children.empty()) changed |= element.first.unite(element.children[0].first);
      break;
    case ElementKind::kAlternatives:
      for (const DefinitionElement& child : element.children)
        changed |= element.first.unite(child.first);
      break;
    case ElementKind::kReference:
      changed |= element.first.unite(element.link->first);
      break;
    case ElementKind::kLiteral:
    case ElementKind::kRange:
      break;
  }
  return changed;
}

}  // namespace

void computeFirstSets(DefinitionElement& lexicalRoot) {
  seed(lexicalRoot);
  bool changed = true;
  while (changed) {
    changed = false;
    for (DefinitionElement& rule : lexicalRoot.children) changed |= update(rule);
  }
}

}  // namespace zunka
