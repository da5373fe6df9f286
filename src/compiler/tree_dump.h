#pragma once
#include <string>

#include "compiler/lex_list.h"
#include "compiler/result_list.h"

namespace zunka {

// One-line picture of a parse tree: ClassName(item item ...) with tokens shown
// as their source text (Shift_JIS bytes, as in the source).
std::string dumpTree(const TResultList& node, const TLexList& tokens);

}  // namespace zunka
