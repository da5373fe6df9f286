// Code of the statements: expression statements, blocks, conditionals, loops,
// break and return.
#include "compiler/compile_context.h"
#include "compiler/syntax_nodes.h"
#include "vm/console.h"

namespace zunka {

using namespace vm;

namespace {

// A loop's own list of pending breaks, patched to the loop's end when it closes;
// the enclosing loop's list comes back afterwards.
class BreakScope {
 public:
  explicit BreakScope(TContext& c) : c_(c), outer_(c.breaks) { c.breaks = &mine_; }
  ~BreakScope() { c_.breaks = outer_; }
  void patchTo(int32_t target) {
    for (int32_t at : mine_) c_.writer->patchJump(at, target);
  }

 private:
  TContext& c_;
  std::vector<int32_t>* outer_;
  std::vector<int32_t> mine_;
};

void generateValue(TContext& c, TResList* node) {
  bool saved = c.lvalueWanted;
  c.lvalueWanted = false;
  node->Generate(c);
  c.lvalueWanted = saved;
}

}  // namespace

// ExprS: Expr ';
int G_ExprS::Generate(TContext& c) {
  c.lvalueWanted = false;
  c.statementOffset = int32_t(semicolon()->start());
  c.writer->Point(c.statementOffset);
  expression()->Generate(c);
  c.writer->Pop();
  return 0;
}

namespace {

// The test of a condition or a loop is its line's statement: errors in it are
// traced there, and a breakpoint on the line stops each time it is tested.
void pointAtKeyword(TContext& c, const TLexElem* keyword) {
  c.statementOffset = int32_t(keyword->start());
  c.writer->Point(c.statementOffset);
}

}  // namespace

// Block: '{ {}(Sentence) '}
int G_Block::Generate(TContext& c) {
  NodeSequence sentences = this->sentences();
  for (int i = 0; i < sentences.size(); ++i)
    if (TResList* s = sentences[i]) s->Generate(c);
  return 0;
}

// If: 'if '( Expr ') Sentence []('else Sentence)
int G_If::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  pointAtKeyword(c, keyword());
  generateValue(c, condition());
  int32_t toElse = w.jumpPlaceholder(Op_JumpZero);
  thenBody()->Generate(c);
  int32_t toEnd = w.jumpPlaceholder(Op_Jump);  // written even without an else
  w.patchJump(toElse, w.position());
  ElseBranch elseBranch = this->elseBranch();
  if (elseBranch.present()) elseBranch.body()->Generate(c);
  w.patchJump(toEnd, w.position());
  return 0;
}

// While: 'while '( Expr ') Sentence
int G_While::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  int32_t start = w.position();
  pointAtKeyword(c, keyword());
  generateValue(c, condition());
  int32_t toEnd = w.jumpPlaceholder(Op_JumpZero);
  body()->Generate(c);
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  return 0;
}

// For: 'for '( Expr '; Expr '; Expr ') Sentence
int G_For::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  generateValue(c, init());
  w.Pop();
  int32_t start = w.position();
  pointAtKeyword(c, keyword());  // the test, not the start: a breakpoint stops each round
  generateValue(c, condition());
  int32_t toEnd = w.jumpPlaceholder(Op_JumpZero);
  body()->Generate(c);
  generateValue(c, step());
  w.Pop();
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  return 0;
}

// Forin: 'for '( LVal 'in Expr ') Sentence
int G_Forin::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  bool saved = c.lvalueWanted;
  c.lvalueWanted = true;
  variable()->Generate(c);  // leaves a pointer to the loop variable
  c.lvalueWanted = false;
  collection()->Generate(c);
  c.lvalueWanted = saved;
  w.op(Op_InitForIn);
  int32_t start = w.position();
  pointAtKeyword(c, keyword());
  int32_t toEnd = w.jumpPlaceholder(Op_DoForIn);
  body()->Generate(c);
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  w.op(Op_ClearForIn);
  return 0;
}

// Break: 'break ';
int G_Break::Generate(TContext& c) {
  // Outside a loop a break writes nothing.
  if (c.breaks) c.breaks->push_back(c.writer->jumpPlaceholder(Op_Jump));
  return 0;
}

// Return: 'return [](Expr) ';
int G_Return::Generate(TContext& c) {
  // A return is a statement of its own: errors in its value are traced to it,
  // and a breakpoint on its line has a place to stop.
  c.statementOffset = int32_t(semicolon()->start());
  c.writer->Point(c.statementOffset);
  Value value = this->value();
  if (value.present())
    generateValue(c, value.expression());
  else
    c.writer->PushThis();
  c.writer->op(Op_Ret);
  return 0;
}

// |Sentence: Block While For If Return ExprS Forin Comment Break
int G_Sentence::Generate(TContext& c) {
  return chosen() ? chosen()->Generate(c) : 0;
}

// `[]` and `{}` groups: read through the accessors of the node holding them.
int G_Err::Generate(TContext&) {
  LogError("Error!? Usrsub", {}, true);
  return 0;
}

}  // namespace zunka
