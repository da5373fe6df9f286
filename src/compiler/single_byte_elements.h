#pragma once
#include "compiler/definition_element.h"

namespace zunka {

// Marks the lexical elements that always match exactly one byte (ranges,
// one-byte literals, and alternatives, references and plain sequences made only
// of those) with the bytes they accept, and gives each alternatives element the
// bytes of its leading run of such children. The tokenizer then answers them
// with one set test instead of a walk through the definition.
void markSingleByteElements(DefinitionElement& lexicalRoot);

}  // namespace zunka
