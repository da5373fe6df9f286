#include "compiler/start_tokens.h"

namespace zunka {
namespace {

constexpr size_t kMaxTokenKinds = 256;

void seed(DefinitionElement& element) {
  for (DefinitionElement& child : element.children) seed(child);
  element.nullable = false;  // grown to what the grammar allows by the passes
  if (element.kind == ElementKind::kLiteral && element.link)
    element.startTokens.add(static_cast<uint8_t>(element.link->index));
}

bool setNullable(DefinitionElement& element, bool nullable) {
  bool changed = element.nullable != nullable;
  element.nullable = nullable;
  return changed;
}

bool updateSequence(DefinitionElement& sequence) {
  bool changed = false;
  bool allNullable = true;
  for (const DefinitionElement& child : sequence.children) {
    changed |= sequence.startTokens.unite(child.startTokens);
    if (!child.nullable) {
      allNullable = false;
      break;
    }
  }
  return setNullable(sequence, sequence.minimum == 0 || allNullable) || changed;
}

// Children first. Sets and flags only grow, so the passes end, at the least
// solution: an element is nullable only if some way through it takes no token.
bool update(DefinitionElement& element) {
  bool changed = false;
  for (DefinitionElement& child : element.children) changed |= update(child);
  switch (element.kind) {
    case ElementKind::kSequence:
      return updateSequence(element) || changed;
    case ElementKind::kAlternatives: {
      bool nullable = false;
      for (const DefinitionElement& child : element.children) {
        changed |= element.startTokens.unite(child.startTokens);
        nullable |= child.nullable;
      }
      return setNullable(element, nullable) || changed;
    }
    case ElementKind::kReference:
      changed |= element.startTokens.unite(element.link->startTokens);
      return setNullable(element, element.link->nullable) || changed;
    case ElementKind::kLiteral:
    case ElementKind::kRange:
      break;
  }
  return changed;
}

}  // namespace

void computeStartTokens(DefinitionElement& grammarRoot, const DefinitionElement& lexicalRoot) {
  if (lexicalRoot.children.size() > kMaxTokenKinds) return;  // elements stay nullable
  seed(grammarRoot);
  bool changed = true;
  while (changed) changed = update(grammarRoot);
}

}  // namespace zunka
