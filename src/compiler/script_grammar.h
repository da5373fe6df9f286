#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "compiler/res_list_getter.h"
#include "compiler/yup.h"

namespace zunka {

// The script language's lexical and grammar definition texts, built into the
// executable from compiler/grammar/*.def.
std::string_view scriptLexicalDefinition();
std::string_view scriptGrammarDefinition();

// The script language's OnCreateList: a production name gives its syntax-node
// class, "Comment" the plain TResList, anything else (groups, terminals) G_Err.
void createScriptNode(PResListGetter p);

// A grammar engine loaded with the script language.
std::unique_ptr<TYup> makeScriptYup();

// Tokenizes a class source, drops its comments and parses it, as the class
// compiler does. Nothing when it parses; otherwise the byte offset to report:
// the start of the last token a terminal accepted (0 when none was).
std::optional<size_t> findGrammarError(TYup& yup, std::string_view source);

}  // namespace zunka
