#pragma once
#include "compiler/definition_element.h"

namespace zunka {

// Fills the FIRST sets of a lexical tree: literals and ranges seed them, then
// sequences (from their first child), alternatives and references take unions
// until a whole pass over the top-level rules adds nothing.
void computeFirstSets(DefinitionElement& lexicalRoot);

}  // namespace zunka
