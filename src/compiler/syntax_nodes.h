#pragma once
#include "compiler/res_list.h"

namespace zunka {

// The syntax-tree node classes, one per production of the script grammar (G_Err
// for unnamed groups and terminals). They add no fields; each writes the code of
// its construct by walking its items by position.

#define ZUNKA_SYNTAX_NODE(Name)                      \
  class Name : public SyntaxNode<Name> {             \
   public:                                           \
    static constexpr const char* kClassName = #Name; \
    int Generate(TContext& context) override;        \
  };

ZUNKA_SYNTAX_NODE(G_Program)
ZUNKA_SYNTAX_NODE(G_Extends)
ZUNKA_SYNTAX_NODE(G_Sentence)
ZUNKA_SYNTAX_NODE(G_ExprS)
ZUNKA_SYNTAX_NODE(G_Expr)
ZUNKA_SYNTAX_NODE(G_RVal)
ZUNKA_SYNTAX_NODE(G_OrEx)
ZUNKA_SYNTAX_NODE(G_AndEx)
ZUNKA_SYNTAX_NODE(G_CompEx)
ZUNKA_SYNTAX_NODE(G_IsEx)
ZUNKA_SYNTAX_NODE(G_ASEx)
ZUNKA_SYNTAX_NODE(G_IncEx)
ZUNKA_SYNTAX_NODE(G_MDEx)
ZUNKA_SYNTAX_NODE(G_Una)
ZUNKA_SYNTAX_NODE(G_Par)
ZUNKA_SYNTAX_NODE(G_Const)
ZUNKA_SYNTAX_NODE(G_This)
ZUNKA_SYNTAX_NODE(G_NewObj)
ZUNKA_SYNTAX_NODE(G_ResourceVal)
ZUNKA_SYNTAX_NODE(G_LVal)
ZUNKA_SYNTAX_NODE(G_LValE)
ZUNKA_SYNTAX_NODE(G_ArgList)
ZUNKA_SYNTAX_NODE(G_Block)
ZUNKA_SYNTAX_NODE(G_While)
ZUNKA_SYNTAX_NODE(G_For)
ZUNKA_SYNTAX_NODE(G_Forin)
ZUNKA_SYNTAX_NODE(G_If)
ZUNKA_SYNTAX_NODE(G_Break)
ZUNKA_SYNTAX_NODE(G_Return)
ZUNKA_SYNTAX_NODE(G_FuncDecl)
ZUNKA_SYNTAX_NODE(G_NativeDecl)
ZUNKA_SYNTAX_NODE(G_VArgList)
ZUNKA_SYNTAX_NODE(G_VarBlock)
ZUNKA_SYNTAX_NODE(G_VarDecl)
ZUNKA_SYNTAX_NODE(G_Err)

#undef ZUNKA_SYNTAX_NODE

}  // namespace zunka
