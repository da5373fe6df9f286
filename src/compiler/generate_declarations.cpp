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

}  // namespace

// []VArgList: 'SYMBOL {}(', 'SYMBOL)
std::vector<std::string> G_VArgList::names(const TContext& c) const {
  std::vector<std::string> names;
  if (!present()) return names;
  names.push_back(c.textOf(first()));
  ListTail rest = this->rest();
  for (int k = 0; k < rest.size(); ++k) names.push_back(c.textOf(rest.elementToken(k)));
  return names;
}

// Program: Extends {}(|(FuncDecl NativeDecl Comment Sentence))
int G_Program::Generate(TContext& c) {
  c.function = nullptr;
  c.pass = 1;
  extendsClause()->Generate(c);
  TRTTI* parent = c.cls->parentClass();
  if (parent) {
    if (!parent->compiled) return 0;  // compiled in a later pass, after its parent
    c.cls->InheritMethods();
  }
  NodeSequence body = this->body();
  for (int i = 0; i < body.size(); ++i)
    if (isDeclaration(body[i])) body[i]->Generate(c);
  c.pass = 2;
  if (parent) c.cls->InheritMembers();
  for (int i = 0; i < body.size(); ++i)
    if (isDeclaration(body[i])) body[i]->Generate(c);

  TProgWriter writer(c.cls);
  c.writer = &writer;
  c.function = nullptr;
  for (int i = 0; i < body.size(); ++i)
    if (TResList* node = body[i]; node && !isDeclaration(node)) node->Generate(c);
  writer.PushReal(0);
  writer.op(Op_Halt);
  c.cls->classCode = writer.Finish();
  c.writer = nullptr;
  c.cls->compiled = true;
  return 0;
}

// []Extends: 'extends ResourceVal ';
int G_Extends::Generate(TContext& c) {
  c.cls->parent = nullptr;
  if (!present()) return 0;
  parentPath()->Generate(c);
  if (!c.resolved) c.fail(c.resolvedPath + "は未定義です");
  // A resource that is not a class cannot be a parent; it is refused like a
  // missing one rather than used as if it were a class.
  auto* parent = dynamic_cast<TRTTI*>(c.resolved);
  if (!parent) c.fail(c.resolvedPath + "は未定義です");
  c.cls->parent = parent;
  return 0;
}

// FuncDecl: |('function 'constructor 'destructor) 'SYMBOL '( VArgList ') VarBlock
int G_FuncDecl::Generate(TContext& c) {
  std::string keyword = c.textOf(this->keyword());
  std::string name = c.textOf(this->name());
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
  f->params = parameters()->names(c);
  f->locals.clear();
  body()->Generate(c);
  writer.PushThis();  // a body without return gives this
  writer.op(Op_Ret);
  writer.op(Op_Halt);
  f->code = writer.Finish();
  c.writer = nullptr;
  c.function = nullptr;
  return 0;
}

// NativeDecl: 'native 'SYMBOL ';
int G_NativeDecl::Generate(TContext& c) {
  if (c.pass == 1) c.cls->AddMethod(new TNativeFunction(c.cls, symbols::intern(c.textOf(name()))));
  return 0;
}

// []VArgList: 'SYMBOL {}(', 'SYMBOL)
int G_VArgList::Generate(TContext& c) {
  if (c.function) {
    for (std::string& name : names(c)) c.function->params.push_back(std::move(name));
  }
  return 0;
}

// VarBlock: '{ {}(VarDecl) {}(Sentence) '}
int G_VarBlock::Generate(TContext& c) {
  NodeSequence declarations = this->declarations();
  for (int i = 0; i < declarations.size(); ++i) declarations[i]->Generate(c);
  NodeSequence sentences = this->sentences();
  for (int i = 0; i < sentences.size(); ++i)
    if (TResList* s = sentences[i]) s->Generate(c);
  return 0;
}

// VarDecl: 'var VArgList ';
int G_VarDecl::Generate(TContext& c) {
  if (c.function) {
    for (std::string& name : variables()->names(c)) c.function->locals.push_back(std::move(name));
  }
  return 0;
}

}  // namespace zunka
