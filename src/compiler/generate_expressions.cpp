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
void generateJumpChain(TContext& c, TResList* node, Opcode jump) {
  node->item(0)->Generate(c);
  TResList* pairs = node->item(1);
  int n = pairs->count() / 2;
  std::vector<int32_t> jumps;
  if (n > 0) jumps.push_back(c.writer->jumpPlaceholder(jump));
  for (int k = 0; k < n; ++k) {
    pairs->item(2 * k + 1)->Generate(c);
    if (k + 1 < n) jumps.push_back(c.writer->jumpPlaceholder(jump));
  }
  for (int32_t at : jumps) c.writer->patchJump(at, c.writer->position());
}

// Left-associative binary operators: operand, then (operand, opcode) per pair.
void generateBinaryChain(TContext& c, TResList* node) {
  node->item(0)->Generate(c);
  TResList* pairs = node->item(1);
  for (int k = 0; k + 1 < pairs->count(); k += 2) {
    pairs->item(k + 1)->Generate(c);
    c.writer->op(operatorOpcode(c.text(pairs->token(k))));
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

int G_Expr::Generate(TContext& c) {
  TResList* assignment = item(0);
  if (assignment->count() == 0) return item(1)->Generate(c);
  generateAssignment(c, assignment->item(0), item(1), operatorOpcode(c.text(assignment->token(1))));
  return 0;
}

int G_RVal::Generate(TContext& c) {
  generateJumpChain(c, this, Op_Jump_Or);
  return 0;
}

int G_OrEx::Generate(TContext& c) {
  generateJumpChain(c, this, Op_Jump_And);
  return 0;
}

int G_AndEx::Generate(TContext& c) {
  generateBinaryChain(c, this);
  return 0;
}

int G_CompEx::Generate(TContext& c) {
  generateBinaryChain(c, this);
  return 0;
}

int G_ASEx::Generate(TContext& c) {
  generateBinaryChain(c, this);
  return 0;
}

int G_IsEx::Generate(TContext& c) {
  item(0)->Generate(c);
  TResList* test = item(1);
  if (test->count() == 0) return 0;
  test->item(1)->Generate(c);
  auto* cls = dynamic_cast<TRTTI*>(c.resolved);
  if (!cls) c.fail("isの後ろがクラスでありません");
  c.writer->Is(cls);
  return 0;
}

int G_MDEx::Generate(TContext& c) {
  item(1)->Generate(c);
  TResList* prefix = item(0);
  if (prefix->count() > 0) c.writer->op(c.text(prefix->token(0)) == "-" ? Op_Neg : Op_Not);
  return 0;
}

int G_IncEx::Generate(TContext& c) {
  TResList* postfix = item(1);
  if (postfix->count() == 0) return item(0)->Generate(c);
  generateAssignment(c, item(0), nullptr,
                     c.text(postfix->token(0)) == "++" ? Op_AddSubst : Op_SubSubst);
  return 0;
}

int G_Par::Generate(TContext& c) {
  return item(1)->Generate(c);
}

int G_Una::Generate(TContext& c) {
  return item(0) ? item(0)->Generate(c) : 0;
}

int G_This::Generate(TContext& c) {
  c.writer->PushThis();
  return 0;
}

int G_Const::Generate(TContext& c) {
  std::string_view t = c.text(token(0));
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

int G_NewObj::Generate(TContext& c) {
  c.writer->PushReal(0);  // the slot the new object will take
  int argc = item(3)->Generate(c);
  item(1)->Generate(c);
  if (!c.resolved) c.fail(c.resolvedPath + "は定義されていません");
  auto* cls = dynamic_cast<TRTTI*>(c.resolved);
  if (!cls)
    c.fail(c.resolvedPath + "(" + c.resolved->hostClassName() + ")" + "はクラスではありません");
  c.writer->Constructor(cls, argc);
  return 0;
}

int G_ResourceVal::Generate(TContext& c) {
  std::string path = c.textOf(this, 0);
  TResList* rest = item(1);
  for (int k = 1; k < rest->count(); k += 2) path += "." + c.textOf(rest, k);
  c.resolved = c.root ? c.root->Find(path) : nullptr;
  c.resolvedPath = path;
  return 0;
}

int G_ArgList::Generate(TContext& c) {
  if (count() == 0) return 0;
  bool saved = c.lvalueWanted;
  c.lvalueWanted = false;
  item(0)->Generate(c);
  int n = 1;
  TResList* rest = item(1);
  for (int k = 1; k < rest->count(); k += 2, ++n) rest->item(k)->Generate(c);
  c.lvalueWanted = saved;
  return n;
}

}  // namespace zunka
