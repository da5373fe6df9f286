#pragma once
#include <cstddef>

namespace zunka {

// Generated at build time from lexical.def and grammar.def in this folder.
extern const char kScriptLexicalDefinition[];
extern const size_t kScriptLexicalDefinitionSize;
extern const char kScriptGrammarDefinition[];
extern const size_t kScriptGrammarDefinitionSize;

}  // namespace zunka
