#pragma once
#include "compiler/definition_element.h"

namespace zunka {

// Works out, for every element of a grammar tree, the kinds of token it can
// begin with and whether it can match nothing, so that the parser need not
// descend into an element that is bound to fail at the current token. The sets
// over-approximate (they follow the grammar as if every alternative could be
// taken), so skipping never changes a parse. With more token kinds than a set
// holds, every element is left nullable and nothing is skipped.
void computeStartTokens(DefinitionElement& grammarRoot, const DefinitionElement& lexicalRoot);

}  // namespace zunka
