// Name resolution: dotted chains of names and calls. In one walk each element is
// bound to a local, a parameter, a global, a member slot of the class, a member
// looked up by name at run time, or a method (static, native, super or by name).
#include "compiler/compile_context.h"
#include "compiler/syntax_nodes.h"
#include "resources/global_value.h"
#include "resources/rtti.h"
#include "vm/symbols.h"

namespace zunka {

using namespace vm;

namespace {

int32_t indexIgnoringCase(const std::vector<std::string>& names, std::string_view name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (symbols::sameName(names[i], name)) return int32_t(i);
  return -1;
}

// The method a call element names, by the chain state it starts from.
void generateCall(TContext& c, const std::string& name, TResList* arguments) {
  TProgWriter& w = *c.writer;
  auto args = [&] { return arguments->Generate(c); };
  switch (c.chain) {
    case ChainState::Value: {
      int n = args();
      w.Point(c.statementOffset);
      w.DCall(name, n);
      break;
    }
    case ChainState::Start:
    case ChainState::AfterThis: {
      // After `this.` the receiver is already on the stack; pushing it again would
      // leave one value behind per call (a loop of this.f() overflows the stack)
      // and put it between an assignment's target and the call's result.
      bool receiverPushed = c.chain == ChainState::AfterThis;
      if (name == "super") {
        TNormalFunction* ctor = c.cls->parent ? c.cls->parent->Constructor() : nullptr;
        if (!ctor) c.fail("メソッドsuper.constructorは未定義です");
        if (!receiverPushed) w.PushThis();
        int n = args();
        w.Point(c.statementOffset);
        w.SuperCall(ctor, n, "constructor");
        break;
      }
      TFunction* f = c.cls->FindMethodByName(name);
      if (!f) c.fail("メソッド" + name + "は未定義です");
      if (!receiverPushed) w.PushThis();
      int n = args();
      w.Point(c.statementOffset);
      if (f->isNative())
        w.NativeCall(f, n, name);
      else
        w.SCall(c.cls->IndexOfMethod(f), n, name);
      break;
    }
    case ChainState::AfterSuper: {
      TFunction* f = c.cls->parent ? c.cls->parent->FindMethodByName(name) : nullptr;
      if (!f) c.fail("メソッドsuper." + name + "は未定義です");
      if (f->isNative()) c.fail("メソッドsuper." + name + "はNativeのため、呼び出せません");
      w.PushThis();
      int n = args();
      w.Point(c.statementOffset);
      w.SuperCall(f, n, name);
      break;
    }
    case ChainState::Resource:
      break;  // a call on a resource writes nothing
  }
  c.chain = ChainState::Value;
}

void generateNameAtStart(TContext& c, const std::string& name) {
  TProgWriter& w = *c.writer;
  if (name == "super") {
    c.chain = ChainState::AfterSuper;
    return;
  }
  if (c.function) {
    int32_t i = indexIgnoringCase(c.function->locals, name);
    if (i >= 0) {
      w.LocalValPtr(i);
      c.chain = ChainState::Value;
      return;
    }
    i = indexIgnoringCase(c.function->params, name);
    if (i >= 0) {
      w.ArgValPtr(i);
      c.chain = ChainState::Value;
      return;
    }
  }
  if (TResource* r = c.root ? c.root->Find(name) : nullptr; dynamic_cast<TGlobalValue*>(r)) {
    c.resolved = r;
    c.chain = ChainState::Resource;
    return;
  }
  if (name == "this") {
    w.PushThis();
    c.chain = ChainState::AfterThis;
    return;
  }
  int32_t i = c.cls->EnsureMember(name);
  if (i < 0) c.fail("変数" + name + "は未定義です");
  w.PushThis();
  w.SMemberValPtr(i, name);
  c.chain = ChainState::Value;
}

void generateName(TContext& c, const std::string& name) {
  switch (c.chain) {
    case ChainState::Resource: {
      TResource* child = c.resolved->FindChild(name);
      if (!child) c.fail(c.cls->DisplayName() + ":" + name + "は未定義です");
      c.resolved = child;
      break;
    }
    case ChainState::Value:
      if (name != "this") c.writer->DMemberValPtr(name);
      break;
    case ChainState::AfterSuper:
      c.fail("super." + name + " : super.の後ろにはメソッド呼び出ししか記述できません");
    case ChainState::AfterThis:
      c.writer->SMemberValPtr(c.cls->EnsureMember(name), name);
      c.chain = ChainState::Value;
      break;
    case ChainState::Start:
      generateNameAtStart(c, name);
      break;
  }
  if (c.chain == ChainState::Resource && c.resolved->ValueCell()) {
    c.writer->Push(TValue::ofRef(vtPointer, c.resolved->ValueCell()), c.resolved->name());
    c.chain = ChainState::Value;
  }
  if (!c.lvalueWanted && c.chain == ChainState::Value) c.writer->op(Op_Deref);
}

}  // namespace

// LValE: |('SYMBOL 'constructor) []('( ArgList '))
int G_LValE::Generate(TContext& c) {
  std::string name = c.textOf(this->name());
  Call call = this->call();
  if (!call.present()) {
    generateName(c, name);
    return 0;
  }
  if (c.lvalueWanted) c.fail("代入式の左辺がメソッド呼び出しです");
  generateCall(c, name, call.arguments());
  return 0;
}

// LVal: LValE {}('. LValE)
int G_LVal::Generate(TContext& c) {
  bool wanted = c.lvalueWanted;
  c.chain = ChainState::Start;
  ListTail rest = this->rest();
  int last = rest.size();
  for (int k = 0; k <= last; ++k) {
    c.lvalueWanted = wanted && k == last;
    TResList* element = k == 0 ? first() : rest.element(k - 1);
    element->Generate(c);
  }
  if (c.chain == ChainState::Resource) c.fail("リソースは直接参照できません");
  c.lvalueWanted = wanted;
  return 0;
}

}  // namespace zunka
