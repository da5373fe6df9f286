#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/definition_element.h"
#include "compiler/res_list_getter.h"

namespace zunka {

enum class DefinitionSide { kLexical, kGrammar };

struct DefinitionSources {
  DefinitionSide side = DefinitionSide::kLexical;
  const GrammarReportHook* report = nullptr;
  // Grammar side only: the owner's node mapping and the lexical tree that the
  // terminals link into.
  const TCrLst* onCreateList = nullptr;
  const DefinitionElement* lexicalRoot = nullptr;
};

// Reads a definition text (one element per line, depth = leading spaces) into a
// tree whose root's children are the top-level rules, and resolves references.
// Faults are reported through the hook and reading goes on; a grammar text read
// without a node mapping throws EError.
std::unique_ptr<DefinitionElement> readDefinition(const std::vector<std::string>& lines,
                                                  const DefinitionSources& sources);

// Splits a text into lines at line feeds, dropping a carriage return before each.
std::vector<std::string> splitDefinitionLines(std::string_view text);

}  // namespace zunka
