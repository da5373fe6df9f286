#pragma once
#include "compiler/res_list.h"

namespace zunka {

// The syntax-tree node classes, one per production of the script grammar (G_Err
// for unnamed groups and terminals). They add no fields; each will generate the
// code of its construct.

class G_Program : public SyntaxNode<G_Program> {
 public:
  static constexpr const char* kClassName = "G_Program";
};

class G_Extends : public SyntaxNode<G_Extends> {
 public:
  static constexpr const char* kClassName = "G_Extends";
};

class G_Sentence : public SyntaxNode<G_Sentence> {
 public:
  static constexpr const char* kClassName = "G_Sentence";
};

class G_ExprS : public SyntaxNode<G_ExprS> {
 public:
  static constexpr const char* kClassName = "G_ExprS";
};

class G_Expr : public SyntaxNode<G_Expr> {
 public:
  static constexpr const char* kClassName = "G_Expr";
};

class G_RVal : public SyntaxNode<G_RVal> {
 public:
  static constexpr const char* kClassName = "G_RVal";
};

class G_OrEx : public SyntaxNode<G_OrEx> {
 public:
  static constexpr const char* kClassName = "G_OrEx";
};

class G_AndEx : public SyntaxNode<G_AndEx> {
 public:
  static constexpr const char* kClassName = "G_AndEx";
};

class G_CompEx : public SyntaxNode<G_CompEx> {
 public:
  static constexpr const char* kClassName = "G_CompEx";
};

class G_IsEx : public SyntaxNode<G_IsEx> {
 public:
  static constexpr const char* kClassName = "G_IsEx";
};

class G_ASEx : public SyntaxNode<G_ASEx> {
 public:
  static constexpr const char* kClassName = "G_ASEx";
};

class G_IncEx : public SyntaxNode<G_IncEx> {
 public:
  static constexpr const char* kClassName = "G_IncEx";
};

class G_MDEx : public SyntaxNode<G_MDEx> {
 public:
  static constexpr const char* kClassName = "G_MDEx";
};

class G_Una : public SyntaxNode<G_Una> {
 public:
  static constexpr const char* kClassName = "G_Una";
};

class G_Par : public SyntaxNode<G_Par> {
 public:
  static constexpr const char* kClassName = "G_Par";
};

class G_Const : public SyntaxNode<G_Const> {
 public:
  static constexpr const char* kClassName = "G_Const";
};

class G_This : public SyntaxNode<G_This> {
 public:
  static constexpr const char* kClassName = "G_This";
};

class G_NewObj : public SyntaxNode<G_NewObj> {
 public:
  static constexpr const char* kClassName = "G_NewObj";
};

class G_ResourceVal : public SyntaxNode<G_ResourceVal> {
 public:
  static constexpr const char* kClassName = "G_ResourceVal";
};

class G_LVal : public SyntaxNode<G_LVal> {
 public:
  static constexpr const char* kClassName = "G_LVal";
};

class G_LValE : public SyntaxNode<G_LValE> {
 public:
  static constexpr const char* kClassName = "G_LValE";
};

class G_ArgList : public SyntaxNode<G_ArgList> {
 public:
  static constexpr const char* kClassName = "G_ArgList";
};

class G_Block : public SyntaxNode<G_Block> {
 public:
  static constexpr const char* kClassName = "G_Block";
};

class G_While : public SyntaxNode<G_While> {
 public:
  static constexpr const char* kClassName = "G_While";
};

class G_For : public SyntaxNode<G_For> {
 public:
  static constexpr const char* kClassName = "G_For";
};

class G_Forin : public SyntaxNode<G_Forin> {
 public:
  static constexpr const char* kClassName = "G_Forin";
};

class G_If : public SyntaxNode<G_If> {
 public:
  static constexpr const char* kClassName = "G_If";
};

class G_Break : public SyntaxNode<G_Break> {
 public:
  static constexpr const char* kClassName = "G_Break";
};

class G_Return : public SyntaxNode<G_Return> {
 public:
  static constexpr const char* kClassName = "G_Return";
};

class G_FuncDecl : public SyntaxNode<G_FuncDecl> {
 public:
  static constexpr const char* kClassName = "G_FuncDecl";
};

class G_NativeDecl : public SyntaxNode<G_NativeDecl> {
 public:
  static constexpr const char* kClassName = "G_NativeDecl";
};

class G_VArgList : public SyntaxNode<G_VArgList> {
 public:
  static constexpr const char* kClassName = "G_VArgList";
};

class G_VarBlock : public SyntaxNode<G_VarBlock> {
 public:
  static constexpr const char* kClassName = "G_VarBlock";
};

class G_VarDecl : public SyntaxNode<G_VarDecl> {
 public:
  static constexpr const char* kClassName = "G_VarDecl";
};

class G_Err : public SyntaxNode<G_Err> {
 public:
  static constexpr const char* kClassName = "G_Err";
};

}  // namespace zunka
