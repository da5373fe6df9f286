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

int G_ExprS::Generate(TContext& c) {
  c.lvalueWanted = false;
  c.statementOffset = int32_t(token(1)->start());
  c.writer->Point(c.statementOffset);
  item(0)->Generate(c);
  c.writer->Pop();
  return 0;
}

int G_Block::Generate(TContext& c) {
  TResList* sentences = item(1);
  for (int i = 0; i < sentences->count(); ++i)
    if (TResList* s = sentences->item(i)) s->Generate(c);
  return 0;
}

int G_If::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  generateValue(c, item(2));
  int32_t toElse = w.jumpPlaceholder(Op_JumpZero);
  item(4)->Generate(c);
  int32_t toEnd = w.jumpPlaceholder(Op_Jump);  // written even without an else
  w.patchJump(toElse, w.position());
  TResList* elseGroup = item(5);
  if (elseGroup->count() > 0) elseGroup->item(1)->Generate(c);
  w.patchJump(toEnd, w.position());
  return 0;
}

int G_While::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  int32_t start = w.position();
  generateValue(c, item(2));
  int32_t toEnd = w.jumpPlaceholder(Op_JumpZero);
  item(4)->Generate(c);
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  return 0;
}

int G_For::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  generateValue(c, item(2));
  w.Pop();
  int32_t start = w.position();
  generateValue(c, item(4));
  int32_t toEnd = w.jumpPlaceholder(Op_JumpZero);
  item(8)->Generate(c);
  generateValue(c, item(6));
  w.Pop();
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  return 0;
}

int G_Forin::Generate(TContext& c) {
  TProgWriter& w = *c.writer;
  BreakScope breaks(c);
  bool saved = c.lvalueWanted;
  c.lvalueWanted = true;
  item(2)->Generate(c);  // leaves a pointer to the loop variable
  c.lvalueWanted = false;
  item(4)->Generate(c);
  c.lvalueWanted = saved;
  w.op(Op_InitForIn);
  int32_t start = w.position();
  int32_t toEnd = w.jumpPlaceholder(Op_DoForIn);
  item(6)->Generate(c);
  w.jump(Op_Jump, start - w.position());
  w.patchJump(toEnd, w.position());
  breaks.patchTo(w.position());
  w.op(Op_ClearForIn);
  return 0;
}

int G_Break::Generate(TContext& c) {
  // Outside a loop a break writes nothing.
  if (c.breaks) c.breaks->push_back(c.writer->jumpPlaceholder(Op_Jump));
  return 0;
}

int G_Return::Generate(TContext& c) {
  TResList* value = item(1);
  if (value->count() > 0)
    generateValue(c, value->item(0));
  else
    c.writer->PushThis();
  c.writer->op(Op_Ret);
  return 0;
}

int G_Sentence::Generate(TContext& c) {
  return item(0) ? item(0)->Generate(c) : 0;
}

int G_Err::Generate(TContext&) {
  LogError("Error!? Usrsub", {}, true);
  return 0;
}

}  // namespace zunka
