#pragma once
#include <string>
#include <vector>

#include "compiler/res_list.h"

namespace zunka {

// The syntax-tree node classes, one per production of the script grammar (G_Err
// for unnamed groups and terminals). They add no fields; each writes the code of
// its construct. A node's items are the results of its rule's elements in order:
// a terminal gives its token, a reference to another rule that rule's node, an
// alternatives element whatever alternative matched, and a `[]` or `{}` group a
// G_Err node of its own. Each class names the items its code reads; above it
// stands its rule on one line, with the grammar text's markers: `'` a terminal,
// `|(...)` alternatives, `[](...)` an optional group, `{}(...)` a repeated one.
// kItems counts the rule's elements, the items of a node that matched them all.

// A `[]` group inside a rule: its node holds all of the group's items or none.
class OptionalGroup {
 public:
  explicit OptionalGroup(const TResList* group) : group_(group) {}
  bool present() const { return group_->count() > 0; }

 protected:
  TResList* node(int i) const { return group_->item(i); }
  const TLexElem* token(int i) const { return group_->token(i); }

 private:
  const TResList* group_;
};

// A `{}` group inside a rule: its node holds whole repetitions one after
// another, so repetition k starts at item k * kItems.
template <int Items>
class RepeatedGroup {
 public:
  static constexpr int kItems = Items;
  explicit RepeatedGroup(const TResList* group) : group_(group) {}
  int size() const { return group_->count() / kItems; }

 protected:
  TResList* node(int k, int at) const { return group_->item(k * kItems + at); }
  const TLexElem* token(int k, int at) const { return group_->token(k * kItems + at); }

 private:
  const TResList* group_;
};

// {}(Node): one node per repetition (statements, declarations).
class NodeSequence : public RepeatedGroup<1> {
 public:
  static constexpr int kNode = 0;
  using RepeatedGroup::RepeatedGroup;
  TResList* operator[](int k) const { return node(k, kNode); }
};

// {}(Separator Element): the elements of a separated list after its first.
class ListTail : public RepeatedGroup<2> {
 public:
  static constexpr int kSeparator = 0, kElement = 1;
  using RepeatedGroup::RepeatedGroup;
  TResList* element(int k) const { return node(k, kElement); }
  const TLexElem* elementToken(int k) const { return token(k, kElement); }
};

// {}(Operator Operand): the operations of a chain after its first operand.
class OperatorPairs : public RepeatedGroup<2> {
 public:
  static constexpr int kOperator = 0, kOperand = 1;
  using RepeatedGroup::RepeatedGroup;
  const TLexElem* op(int k) const { return token(k, kOperator); }
  TResList* operand(int k) const { return node(k, kOperand); }
};

// [](Operator): a prefix or postfix operator that may be missing.
class OptionalOperator : public OptionalGroup {
 public:
  static constexpr int kOperator = 0, kItems = 1;
  using OptionalGroup::OptionalGroup;
  const TLexElem* op() const { return token(kOperator); }
};

// Operand {}(Operator Operand): a left-associative chain of binary operators.
template <class Node>
class OperatorChain : public SyntaxNode<Node> {
 public:
  static constexpr int kFirst = 0, kRest = 1, kItems = 2;
  TResList* first() const { return this->item(kFirst); }
  OperatorPairs rest() const { return OperatorPairs(this->item(kRest)); }
};

// Program: Extends {}(|(FuncDecl NativeDecl Comment Sentence))
class G_Program : public SyntaxNode<G_Program> {
 public:
  static constexpr const char* kClassName = "G_Program";
  static constexpr int kExtends = 0, kBody = 1, kItems = 2;
  TResList* extendsClause() const { return item(kExtends); }
  NodeSequence body() const { return NodeSequence(item(kBody)); }
  int Generate(TContext& context) override;
};

// []Extends: 'extends ResourceVal ';
class G_Extends : public SyntaxNode<G_Extends> {
 public:
  static constexpr const char* kClassName = "G_Extends";
  static constexpr int kParent = 1, kItems = 3;
  bool present() const { return count() > 0; }
  TResList* parentPath() const { return item(kParent); }
  int Generate(TContext& context) override;
};

// |Sentence: Block While For If Return ExprS Forin Comment Break
// An alternatives rule hands back the matching alternative itself, so the parser
// builds no node of this class; one built by hand holds that alternative.
class G_Sentence : public SyntaxNode<G_Sentence> {
 public:
  static constexpr const char* kClassName = "G_Sentence";
  static constexpr int kChosen = 0;
  TResList* chosen() const { return item(kChosen); }
  int Generate(TContext& context) override;
};

// ExprS: Expr ';
class G_ExprS : public SyntaxNode<G_ExprS> {
 public:
  static constexpr const char* kClassName = "G_ExprS";
  static constexpr int kExpression = 0, kSemicolon = 1, kItems = 2;
  TResList* expression() const { return item(kExpression); }
  const TLexElem* semicolon() const { return token(kSemicolon); }
  int Generate(TContext& context) override;
};

// Expr: [](LVal |('= '+= '-=)) RVal
class G_Expr : public SyntaxNode<G_Expr> {
 public:
  static constexpr const char* kClassName = "G_Expr";
  static constexpr int kAssignment = 0, kValue = 1, kItems = 2;
  // [](LVal |('= '+= '-=))
  class Assignment : public OptionalGroup {
   public:
    static constexpr int kTarget = 0, kOperator = 1, kItems = 2;
    using OptionalGroup::OptionalGroup;
    TResList* target() const { return node(kTarget); }
    const TLexElem* op() const { return token(kOperator); }
  };
  Assignment assignment() const { return Assignment(item(kAssignment)); }
  TResList* value() const { return item(kValue); }
  int Generate(TContext& context) override;
};

// RVal: OrEx {}('|| OrEx)
class G_RVal : public OperatorChain<G_RVal> {
 public:
  static constexpr const char* kClassName = "G_RVal";
  int Generate(TContext& context) override;
};

// OrEx: AndEx {}('&& AndEx)
class G_OrEx : public OperatorChain<G_OrEx> {
 public:
  static constexpr const char* kClassName = "G_OrEx";
  int Generate(TContext& context) override;
};

// AndEx: IsEx {}(|('!= '== '>= '<= '> '<) IsEx)
class G_AndEx : public OperatorChain<G_AndEx> {
 public:
  static constexpr const char* kClassName = "G_AndEx";
  int Generate(TContext& context) override;
};

// CompEx: ASEx {}(|('+ '-) ASEx)
class G_CompEx : public OperatorChain<G_CompEx> {
 public:
  static constexpr const char* kClassName = "G_CompEx";
  int Generate(TContext& context) override;
};

// IsEx: CompEx []('is ResourceVal)
class G_IsEx : public SyntaxNode<G_IsEx> {
 public:
  static constexpr const char* kClassName = "G_IsEx";
  static constexpr int kOperand = 0, kTest = 1, kItems = 2;
  // []('is ResourceVal)
  class TypeTest : public OptionalGroup {
   public:
    static constexpr int kClass = 1, kItems = 2;
    using OptionalGroup::OptionalGroup;
    TResList* classPath() const { return node(kClass); }
  };
  TResList* operand() const { return item(kOperand); }
  TypeTest test() const { return TypeTest(item(kTest)); }
  int Generate(TContext& context) override;
};

// ASEx: MDEx {}(|('* '/ '%) MDEx)
class G_ASEx : public OperatorChain<G_ASEx> {
 public:
  static constexpr const char* kClassName = "G_ASEx";
  int Generate(TContext& context) override;
};

// IncEx: LVal [](|('++ '--))
class G_IncEx : public SyntaxNode<G_IncEx> {
 public:
  static constexpr const char* kClassName = "G_IncEx";
  static constexpr int kTarget = 0, kPostfix = 1, kItems = 2;
  TResList* target() const { return item(kTarget); }
  OptionalOperator postfix() const { return OptionalOperator(item(kPostfix)); }
  int Generate(TContext& context) override;
};

// MDEx: [](|('- '!)) Una
class G_MDEx : public SyntaxNode<G_MDEx> {
 public:
  static constexpr const char* kClassName = "G_MDEx";
  static constexpr int kPrefix = 0, kOperand = 1, kItems = 2;
  OptionalOperator prefix() const { return OptionalOperator(item(kPrefix)); }
  TResList* operand() const { return item(kOperand); }
  int Generate(TContext& context) override;
};

// |Una: IncEx Const Par NewObj
// Like Sentence, an alternatives rule: a node of this class is only built by hand.
class G_Una : public SyntaxNode<G_Una> {
 public:
  static constexpr const char* kClassName = "G_Una";
  static constexpr int kChosen = 0;
  TResList* chosen() const { return item(kChosen); }
  int Generate(TContext& context) override;
};

// Par: '( Expr ')
class G_Par : public SyntaxNode<G_Par> {
 public:
  static constexpr const char* kClassName = "G_Par";
  static constexpr int kInner = 1, kItems = 3;
  TResList* inner() const { return item(kInner); }
  int Generate(TContext& context) override;
};

// Const: |('null 'NUM 'STRING)
class G_Const : public SyntaxNode<G_Const> {
 public:
  static constexpr const char* kClassName = "G_Const";
  static constexpr int kLiteral = 0, kItems = 1;
  const TLexElem* literal() const { return token(kLiteral); }
  int Generate(TContext& context) override;
};

// Names no rule; the class exists for code generation's own use.
class G_This : public SyntaxNode<G_This> {
 public:
  static constexpr const char* kClassName = "G_This";
  int Generate(TContext& context) override;
};

// NewObj: 'new ResourceVal '( ArgList ')
class G_NewObj : public SyntaxNode<G_NewObj> {
 public:
  static constexpr const char* kClassName = "G_NewObj";
  static constexpr int kClass = 1, kArguments = 3, kItems = 5;
  TResList* classPath() const { return item(kClass); }
  TResList* arguments() const { return item(kArguments); }
  int Generate(TContext& context) override;
};

// ResourceVal: 'SYMBOL {}('. 'SYMBOL)
class G_ResourceVal : public SyntaxNode<G_ResourceVal> {
 public:
  static constexpr const char* kClassName = "G_ResourceVal";
  static constexpr int kFirst = 0, kRest = 1, kItems = 2;
  const TLexElem* first() const { return token(kFirst); }
  ListTail rest() const { return ListTail(item(kRest)); }
  int Generate(TContext& context) override;
};

// LVal: LValE {}('. LValE)
class G_LVal : public SyntaxNode<G_LVal> {
 public:
  static constexpr const char* kClassName = "G_LVal";
  static constexpr int kFirst = 0, kRest = 1, kItems = 2;
  TResList* first() const { return item(kFirst); }
  ListTail rest() const { return ListTail(item(kRest)); }
  int Generate(TContext& context) override;
};

// LValE: |('SYMBOL 'constructor) []('( ArgList '))
class G_LValE : public SyntaxNode<G_LValE> {
 public:
  static constexpr const char* kClassName = "G_LValE";
  static constexpr int kName = 0, kCall = 1, kItems = 2;
  // []('( ArgList '))
  class Call : public OptionalGroup {
   public:
    static constexpr int kArguments = 1, kItems = 3;
    using OptionalGroup::OptionalGroup;
    TResList* arguments() const { return node(kArguments); }
  };
  const TLexElem* name() const { return token(kName); }
  Call call() const { return Call(item(kCall)); }
  int Generate(TContext& context) override;
};

// []ArgList: Expr {}(', Expr)
class G_ArgList : public SyntaxNode<G_ArgList> {
 public:
  static constexpr const char* kClassName = "G_ArgList";
  static constexpr int kFirst = 0, kRest = 1, kItems = 2;
  bool present() const { return count() > 0; }
  TResList* first() const { return item(kFirst); }
  ListTail rest() const { return ListTail(item(kRest)); }
  int Generate(TContext& context) override;
};

// Block: '{ {}(Sentence) '}
class G_Block : public SyntaxNode<G_Block> {
 public:
  static constexpr const char* kClassName = "G_Block";
  static constexpr int kSentences = 1, kItems = 3;
  NodeSequence sentences() const { return NodeSequence(item(kSentences)); }
  int Generate(TContext& context) override;
};

// While: 'while '( Expr ') Sentence
class G_While : public SyntaxNode<G_While> {
 public:
  static constexpr const char* kClassName = "G_While";
  static constexpr int kCondition = 2, kBody = 4, kItems = 5;
  const TLexElem* keyword() const { return token(0); }
  TResList* condition() const { return item(kCondition); }
  TResList* body() const { return item(kBody); }
  int Generate(TContext& context) override;
};

// For: 'for '( Expr '; Expr '; Expr ') Sentence
class G_For : public SyntaxNode<G_For> {
 public:
  static constexpr const char* kClassName = "G_For";
  static constexpr int kInit = 2, kCondition = 4, kStep = 6, kBody = 8, kItems = 9;
  const TLexElem* keyword() const { return token(0); }
  TResList* init() const { return item(kInit); }
  TResList* condition() const { return item(kCondition); }
  TResList* step() const { return item(kStep); }
  TResList* body() const { return item(kBody); }
  int Generate(TContext& context) override;
};

// Forin: 'for '( LVal 'in Expr ') Sentence
class G_Forin : public SyntaxNode<G_Forin> {
 public:
  static constexpr const char* kClassName = "G_Forin";
  static constexpr int kVariable = 2, kCollection = 4, kBody = 6, kItems = 7;
  const TLexElem* keyword() const { return token(0); }
  TResList* variable() const { return item(kVariable); }
  TResList* collection() const { return item(kCollection); }
  TResList* body() const { return item(kBody); }
  int Generate(TContext& context) override;
};

// If: 'if '( Expr ') Sentence []('else Sentence)
class G_If : public SyntaxNode<G_If> {
 public:
  static constexpr const char* kClassName = "G_If";
  static constexpr int kCondition = 2, kThen = 4, kElse = 5, kItems = 6;
  // []('else Sentence)
  class ElseBranch : public OptionalGroup {
   public:
    static constexpr int kBody = 1, kItems = 2;
    using OptionalGroup::OptionalGroup;
    TResList* body() const { return node(kBody); }
  };
  const TLexElem* keyword() const { return token(0); }
  TResList* condition() const { return item(kCondition); }
  TResList* thenBody() const { return item(kThen); }
  ElseBranch elseBranch() const { return ElseBranch(item(kElse)); }
  int Generate(TContext& context) override;
};

// Break: 'break ';
class G_Break : public SyntaxNode<G_Break> {
 public:
  static constexpr const char* kClassName = "G_Break";
  static constexpr int kItems = 2;
  int Generate(TContext& context) override;
};

// Return: 'return [](Expr) ';
class G_Return : public SyntaxNode<G_Return> {
 public:
  static constexpr const char* kClassName = "G_Return";
  static constexpr int kValue = 1, kItems = 3;
  // [](Expr)
  class Value : public OptionalGroup {
   public:
    static constexpr int kExpression = 0, kItems = 1;
    using OptionalGroup::OptionalGroup;
    TResList* expression() const { return node(kExpression); }
  };
  Value value() const { return Value(item(kValue)); }
  const TLexElem* semicolon() const { return token(kItems - 1); }
  int Generate(TContext& context) override;
};

// []VArgList: 'SYMBOL {}(', 'SYMBOL)
class G_VArgList : public SyntaxNode<G_VArgList> {
 public:
  static constexpr const char* kClassName = "G_VArgList";
  static constexpr int kFirst = 0, kRest = 1, kItems = 2;
  bool present() const { return count() > 0; }
  const TLexElem* first() const { return token(kFirst); }
  ListTail rest() const { return ListTail(item(kRest)); }
  // The names in order (none when the list is empty).
  std::vector<std::string> names(const TContext& context) const;
  int Generate(TContext& context) override;
};

// FuncDecl: |('function 'constructor 'destructor) 'SYMBOL '( VArgList ') VarBlock
class G_FuncDecl : public SyntaxNode<G_FuncDecl> {
 public:
  static constexpr const char* kClassName = "G_FuncDecl";
  static constexpr int kKeyword = 0, kName = 1, kParameters = 3, kBody = 5, kItems = 6;
  const TLexElem* keyword() const { return token(kKeyword); }
  const TLexElem* name() const { return token(kName); }
  // The grammar gives this item the VArgList rule's node, always a G_VArgList.
  const G_VArgList* parameters() const { return static_cast<G_VArgList*>(item(kParameters)); }
  TResList* body() const { return item(kBody); }
  int Generate(TContext& context) override;
};

// NativeDecl: 'native 'SYMBOL ';
class G_NativeDecl : public SyntaxNode<G_NativeDecl> {
 public:
  static constexpr const char* kClassName = "G_NativeDecl";
  static constexpr int kName = 1, kItems = 3;
  const TLexElem* name() const { return token(kName); }
  int Generate(TContext& context) override;
};

// VarBlock: '{ {}(VarDecl) {}(Sentence) '}
class G_VarBlock : public SyntaxNode<G_VarBlock> {
 public:
  static constexpr const char* kClassName = "G_VarBlock";
  static constexpr int kDeclarations = 1, kSentences = 2, kItems = 4;
  NodeSequence declarations() const { return NodeSequence(item(kDeclarations)); }
  NodeSequence sentences() const { return NodeSequence(item(kSentences)); }
  int Generate(TContext& context) override;
};

// VarDecl: 'var VArgList ';
class G_VarDecl : public SyntaxNode<G_VarDecl> {
 public:
  static constexpr const char* kClassName = "G_VarDecl";
  static constexpr int kVariables = 1, kItems = 3;
  // The grammar gives this item the VArgList rule's node, always a G_VArgList.
  const G_VArgList* variables() const { return static_cast<G_VArgList*>(item(kVariables)); }
  int Generate(TContext& context) override;
};

// The class of `[]` and `{}` group nodes, read only through the accessors of the
// node holding them; asked to write code itself, it reports an internal error.
class G_Err : public SyntaxNode<G_Err> {
 public:
  static constexpr const char* kClassName = "G_Err";
  bool emptyMayBeShared() const override { return true; }
  int Generate(TContext& context) override;
};

}  // namespace zunka
