// The passes over a program: the parent from `extends`, a declaration pass that
// enters every function in the method table, a code pass that writes the bodies,
// and the main code from the statements outside functions.
#include "compiler/compile_context.h"
#include "compiler/syntax_nodes.h"
#include "resources/resource.h"
#include "resources/rtti.h"
#include "vm/function.h"
#include "vm/symbols.h"

namespace zunka {

using namespace vm;

namespace {

bool isDeclaration(TResList* node) {
  return dynamic_cast<G_FuncDecl*>(node) || dynamic_cast<G_NativeDecl*>(node);
}

// The names of a parameter or variable list, in order.
std::vector<std::string> namesOf(TContext& c, TResList* list) {
  std::vector<std::string> names;
  if (list->count() == 0) return names;
  names.push_back(c.textOf(list, 0));
  TResList* rest = list->item(1);
  for (int k = 1; k < rest->count(); k += 2) names.push_back(c.textOf(rest, k));
  return names;
}

}  // namespace

int G_Program::Generate(TContext& c) {
  c.function = nullptr;
  c.pass = 1;
  item(0)->Generate(c);
  TRTTI* parent = c.cls->parentClass();
  if (parent) {
    if (!parent->compiled) return 0;  // compiled in a later pass, after its parent
    c.cls->InheritMethods();
  }
  TResList* body = item(1);
  for (int i = 0; i < body->count(); ++i)
    if (isDeclaration(body->item(i))) body->item(i)->Generate(c);
  c.pass = 2;
  if (parent) c.cls->InheritMembers();
  for (int i = 0; i < body->count(); ++i)
    if (isDeclaration(body->item(i))) body->item(i)->Generate(c);

  TProgWriter writer(c.cls);
  c.writer = &writer;
  c.function = nullptr;
  for (int i = 0; i < body->count(); ++i)
    if (TResList* node = body->item(i); node && !isDeclaration(node)) node->Generate(c);
  writer.PushReal(0);
  writer.op(Op_Halt);
  c.cls->classCode = writer.Finish();
  c.writer = nullptr;
  c.cls->compiled = true;
  return 0;
}

int G_Extends::Generate(TContext& c) {
  c.cls->parent = nullptr;
  if (count() == 0) return 0;
  item(1)->Generate(c);
  if (!c.resolved) c.fail(c.resolvedPath + "は未定義です");
  // A resource that is not a class cannot be a parent; it is refused like a
  // missing one rather than used as if it were a class.
  auto* parent = dynamic_cast<TRTTI*>(c.resolved);
  if (!parent) c.fail(c.resolvedPath + "は未定義です");
  c.cls->parent = parent;
  return 0;
}

int G_FuncDecl::Generate(TContext& c) {
  std::string keyword = c.textOf(this, 0);
  std::string name = c.textOf(this, 1);
  if (c.pass == 1) {
    Symbol s = symbols::intern(name);
    TNormalFunction* f;
    if (keyword == "constructor")
      f = new TConstructor(c.cls, s);
    else if (keyword == "destructor")
      f = new TDestructor(c.cls, s);
    else
      f = new TNormalFunction(c.cls, s);
    c.cls->AddOrOverride(f);
    return 0;
  }
  auto* f = dynamic_cast<TNormalFunction*>(c.cls->FindMethodByName(name));
  if (!f) c.fail("メソッド" + name + "は未定義です");
  TProgWriter writer(c.cls);
  c.writer = &writer;
  c.function = f;
  f->params = namesOf(c, item(3));
  f->locals.clear();
  item(5)->Generate(c);
  writer.PushThis();  // a body without return gives this
  writer.op(Op_Ret);
  writer.op(Op_Halt);
  f->code = writer.Finish();
  c.writer = nullptr;
  c.function = nullptr;
  return 0;
}

int G_NativeDecl::Generate(TContext& c) {
  if (c.pass == 1) c.cls->AddMethod(new TNativeFunction(c.cls, symbols::intern(c.textOf(this, 1))));
  return 0;
}

int G_VArgList::Generate(TContext& c) {
  if (c.function) {
    for (std::string& name : namesOf(c, this)) c.function->params.push_back(std::move(name));
  }
  return 0;
}

int G_VarBlock::Generate(TContext& c) {
  TResList* declarations = item(1);
  for (int i = 0; i < declarations->count(); ++i) declarations->item(i)->Generate(c);
  TResList* sentences = item(2);
  for (int i = 0; i < sentences->count(); ++i)
    if (TResList* s = sentences->item(i)) s->Generate(c);
  return 0;
}

int G_VarDecl::Generate(TContext& c) {
  if (c.function) {
    for (std::string& name : namesOf(c, item(1))) c.function->locals.push_back(std::move(name));
  }
  return 0;
}

}  // namespace zunka
