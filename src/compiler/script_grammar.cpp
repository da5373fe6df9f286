#include "compiler/script_grammar.h"

#include <algorithm>

#include "compiler/definition_reader.h"
#include "compiler/grammar/definition_texts.h"
#include "compiler/syntax_nodes.h"

namespace zunka {
namespace {

template <class Node>
std::unique_ptr<TResultList> makeNode() {
  return std::make_unique<Node>();
}

struct NodeClass {
  std::string_view name;
  std::unique_ptr<TResultList> (*make)();
};

// "This" names no rule; its class exists for code generation's own use.
constexpr NodeClass kNodeClasses[] = {
    {"Program", makeNode<G_Program>},
    {"Extends", makeNode<G_Extends>},
    {"Sentence", makeNode<G_Sentence>},
    {"ExprS", makeNode<G_ExprS>},
    {"Expr", makeNode<G_Expr>},
    {"RVal", makeNode<G_RVal>},
    {"OrEx", makeNode<G_OrEx>},
    {"AndEx", makeNode<G_AndEx>},
    {"CompEx", makeNode<G_CompEx>},
    {"IsEx", makeNode<G_IsEx>},
    {"ASEx", makeNode<G_ASEx>},
    {"IncEx", makeNode<G_IncEx>},
    {"MDEx", makeNode<G_MDEx>},
    {"Una", makeNode<G_Una>},
    {"Par", makeNode<G_Par>},
    {"Const", makeNode<G_Const>},
    {"This", makeNode<G_This>},
    {"NewObj", makeNode<G_NewObj>},
    {"ResourceVal", makeNode<G_ResourceVal>},
    {"LVal", makeNode<G_LVal>},
    {"LValE", makeNode<G_LValE>},
    {"ArgList", makeNode<G_ArgList>},
    {"Block", makeNode<G_Block>},
    {"While", makeNode<G_While>},
    {"For", makeNode<G_For>},
    {"Forin", makeNode<G_Forin>},
    {"If", makeNode<G_If>},
    {"Break", makeNode<G_Break>},
    {"Return", makeNode<G_Return>},
    {"FuncDecl", makeNode<G_FuncDecl>},
    {"NativeDecl", makeNode<G_NativeDecl>},
    {"VArgList", makeNode<G_VArgList>},
    {"VarBlock", makeNode<G_VarBlock>},
    {"VarDecl", makeNode<G_VarDecl>},
    {"Comment", makeNode<TResList>},
};

}  // namespace

std::string_view scriptLexicalDefinition() {
  return {kScriptLexicalDefinition, kScriptLexicalDefinitionSize};
}

std::string_view scriptGrammarDefinition() {
  return {kScriptGrammarDefinition, kScriptGrammarDefinitionSize};
}

void createScriptNode(PResListGetter p) {
  for (const NodeClass& nodeClass : kNodeClasses) {
    if (nodeClass.name == p->name) {
      p->prototype = nodeClass.make();
      return;
    }
  }
  p->prototype = makeNode<G_Err>();
}

std::unique_ptr<TYup> makeScriptYup() {
  auto yup = std::make_unique<TYup>();
  yup->setLexNode(splitDefinitionLines(scriptLexicalDefinition()));
  yup->setGramNode(splitDefinitionLines(scriptGrammarDefinition()));
  yup->setOnCreateList(createScriptNode);
  return yup;
}

std::optional<size_t> findGrammarError(TYup& yup, std::string_view source) {
  std::unique_ptr<TLexList> tokens = yup.tokenize(source);
  tokens->removeTokensOf("COMM");
  if (yup.parse(*tokens)) return std::nullopt;
  return static_cast<size_t>(std::max(tokens->lastAcceptedPos, 0));
}

}  // namespace zunka
