// Code of the expressions: assignment, operator chains, prefix and postfix
// operators, constants, `new` and argument lists.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "compiler/compile_context.h"
#include "compiler/syntax_nodes.h"
#include "resources/resource.h"
#include "resources/rtti.h"
#include "vm/errors.h"

namespace zunka {

using namespace vm;

namespace {

// The opcode of an operator token, decided by its first character, then its
// length or exact text.
Opcode operatorOpcode(std::string_view op) {
  switch (op.empty() ? 0 : op[0]) {
    case '!':
      return Op_NEQ;
    case '%':
      return Op_Mod;
    case '&':
      return Op_And;
    case '*':
      return Op_Mul;
    case '+':
      return op.size() == 1 ? Op_Add : Op_AddSubst;
    case '-':
      return op.size() == 1 ? Op_Sub : Op_SubSubst;
    case '/':
      return Op_Div;
    case '<':
      return op.size() == 1 ? Op_LT : Op_LTE;
    case '=':
      return op.size() == 1 ? Op_Subst : Op_EQ;
    case '>':
      return op.size() == 1 ? Op_GT : Op_GTE;
    case '|':
      return Op_Or;
    default:
      return Op_Halt;
  }
}

// String literals take 0x80 as a lead byte too, as the literal rule of the grammar does.
bool isLeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The bytes between the quotes with escapes resolved. A double-byte character is
// copied whole, so a second byte of 5C never starts an escape.
std::string unescape(std::string_view body) {
  std::string out;
  bool secondByte = false, escaped = false;
  for (unsigned char b : body) {
    if (secondByte) {
      out += char(b);
      secondByte = false;
    } else if (escaped) {
      out += b == 'n' ? '\n' : b == 'r' ? '\r' : b == 't' ? '\t' : char(b);
      escaped = false;
    } else if (b == '\\') {
      escaped = true;
    } else {
      if (isLeadByte(b)) secondByte = true;
      out += char(b);
    }
  }
  return out;
}

// Writes an operand chain joined by jumps (|| and &&): every jump aims past the
// last operand, leaving the deciding value on the stack.
template <class Node>
void generateJumpChain(TContext& c, const OperatorChain<Node>& node, Opcode jump) {
  node.first()->Generate(c);
  OperatorPairs pairs = node.rest();
  int n = pairs.size();
  std::vector<int32_t> jumps;
  if (n > 0) jumps.push_back(c.writer->jumpPlaceholder(jump));
  for (int k = 0; k < n; ++k) {
    pairs.operand(k)->Generate(c);
    if (k + 1 < n) jumps.push_back(c.writer->jumpPlaceholder(jump));
  }
  for (int32_t at : jumps) c.writer->patchJump(at, c.writer->position());
}

// Left-associative binary operators: operand, then (operand, opcode) per pair.
template <class Node>
void generateBinaryChain(TContext& c, const OperatorChain<Node>& node) {
  node.first()->Generate(c);
  OperatorPairs pairs = node.rest();
  for (int k = 0; k < pairs.size(); ++k) {
    pairs.operand(k)->Generate(c);
    c.writer->op(operatorOpcode(c.text(pairs.op(k))));
  }
}

// Assignment through the lvalue chain in `lval`: pointer, right side, opcode.
void generateAssignment(TContext& c, TResList* lval, TResList* right, Opcode opcode) {
  bool saved = c.lvalueWanted;
  c.lvalueWanted = true;
  lval->Generate(c);
  c.lvalueWanted = false;
  if (right)
    right->Generate(c);
  else
    c.writer->PushInt(1);
  c.writer->op(opcode);
  c.lvalueWanted = saved;
}

}  // namespace

// Expr: [](LVal |('= '+= '-=)) RVal
int G_Expr::Generate(TContext& c) {
  Assignment assignment = this->assignment();
  if (!assignment.present()) return value()->Generate(c);
  generateAssignment(c, assignment.target(), value(), operatorOpcode(c.text(assignment.op())));
  return 0;
}

// RVal: OrEx {}('|| OrEx)
int G_RVal::Generate(TContext& c) {
  generateJumpChain(c, *this, Op_Jump_Or);
  return 0;
}

// OrEx: AndEx {}('&& AndEx)
int G_OrEx::Generate(TContext& c) {
  generateJumpChain(c, *this, Op_Jump_And);
  return 0;
}

// AndEx: IsEx {}(|('!= '== '>= '<= '> '<) IsEx)
int G_AndEx::Generate(TContext& c) {
  generateBinaryChain(c, *this);
  return 0;
}

// CompEx: ASEx {}(|('+ '-) ASEx)
int G_CompEx::Generate(TContext& c) {
  generateBinaryChain(c, *this);
  return 0;
}

// ASEx: MDEx {}(|('* '/ '%) MDEx)
int G_ASEx::Generate(TContext& c) {
  generateBinaryChain(c, *this);
  return 0;
}

// IsEx: CompEx []('is ResourceVal)
int G_IsEx::Generate(TContext& c) {
  operand()->Generate(c);
  TypeTest test = this->test();
  if (!test.present()) return 0;
  test.classPath()->Generate(c);
  auto* cls = dynamic_cast<TRTTI*>(c.resolved);
  if (!cls) c.fail("isの後ろがクラスでありません");
  c.writer->Is(cls);
  return 0;
}

// MDEx: [](|('- '!)) Una
int G_MDEx::Generate(TContext& c) {
  operand()->Generate(c);
  OptionalOperator prefix = this->prefix();
  if (prefix.present()) c.writer->op(c.text(prefix.op()) == "-" ? Op_Neg : Op_Not);
  return 0;
}

// IncEx: LVal [](|('++ '--))
int G_IncEx::Generate(TContext& c) {
  OptionalOperator postfix = this->postfix();
  if (!postfix.present()) return target()->Generate(c);
  generateAssignment(c, target(), nullptr,
                     c.text(postfix.op()) == "++" ? Op_AddSubst : Op_SubSubst);
  return 0;
}

// Par: '( Expr ')
int G_Par::Generate(TContext& c) {
  return inner()->Generate(c);
}

// |Una: IncEx Const Par NewObj
int G_Una::Generate(TContext& c) {
  return chosen() ? chosen()->Generate(c) : 0;
}

// Names no rule.
int G_This::Generate(TContext& c) {
  c.writer->PushThis();
  return 0;
}

// Const: |('null 'NUM 'STRING)
int G_Const::Generate(TContext& c) {
  std::string_view t = c.text(literal());
  if (t == "null") {
    c.writer->Push(TValue{}, "");
  } else if (!t.empty() && t[0] == '"') {
    c.writer->PushString(unescape(t.substr(1, t.size() - 2)));
  } else if (t.find('.') != std::string_view::npos) {
    c.writer->PushReal(float(std::strtod(std::string(t).c_str(), nullptr)));
  } else {
    errno = 0;
    long long v = std::strtoll(std::string(t).c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT32_MAX)
      throw EError("'" + std::string(t) + "' is not a valid integer value");
    c.writer->PushInt(int32_t(v));
  }
  return 0;
}

// NewObj: 'new ResourceVal '( ArgList ')
int G_NewObj::Generate(TContext& c) {
  c.writer->PushReal(0);  // the slot the new object will take
  int argc = arguments()->Generate(c);
  classPath()->Generate(c);
  if (!c.resolved) c.fail(c.resolvedPath + "は定義されていません");
  auto* cls = dynamic_cast<TRTTI*>(c.resolved);
  if (!cls)
    c.fail(c.resolvedPath + "(" + c.resolved->hostClassName() + ")" + "はクラスではありません");
  c.writer->Constructor(cls, argc);
  return 0;
}

// ResourceVal: 'SYMBOL {}('. 'SYMBOL)
int G_ResourceVal::Generate(TContext& c) {
  std::string path = c.textOf(first());
  ListTail rest = this->rest();
  for (int k = 0; k < rest.size(); ++k) path += "." + c.textOf(rest.elementToken(k));
  c.resolved = c.root ? c.root->Find(path) : nullptr;
  c.resolvedPath = path;
  return 0;
}

// []ArgList: Expr {}(', Expr)
int G_ArgList::Generate(TContext& c) {
  if (!present()) return 0;
  bool saved = c.lvalueWanted;
  c.lvalueWanted = false;
  first()->Generate(c);
  ListTail rest = this->rest();
  for (int k = 0; k < rest.size(); ++k) rest.element(k)->Generate(c);
  c.lvalueWanted = saved;
  return 1 + rest.size();
}

}  // namespace zunka
