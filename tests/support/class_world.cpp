#include "class_world.h"

#include <string>
#include <vector>

#include "code_builder.h"
#include "platform/files.h"
#include "resources/class_source.h"
#include "resources/resource_tree.h"
#include "resources/tag_dispatch.h"
#include "vm/function.h"
#include "vm/runtime.h"

namespace zunka::testing {
namespace {

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return "";
  size_t b = s.find_last_not_of(" \t\r\n;");
  return std::string(s.substr(a, b - a + 1));
}

std::vector<std::string> splitOn(std::string_view s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = s.find(sep, start)) != std::string_view::npos; start = at + 1)
    parts.push_back(trim(s.substr(start, at - start)));
  parts.push_back(trim(s.substr(start)));
  return parts;
}

std::unique_ptr<TCompiledInfo> mainCode(TRTTI* cls) {
  CodeBuilder code;
  code.pushFloat(0);
  return code.finish(cls);
}

TNormalFunction* addFunction(TRTTI* cls, const char* name, CodeBuilder& code, TFunction::Kind kind,
                             TSymInfoList symbols = {}) {
  Symbol s = symbols::intern(name);
  TNormalFunction* f =
      kind == TFunction::Kind::Constructor ? new TConstructor(cls, s) : new TNormalFunction(cls, s);
  f->code = code.finish(cls);
  f->code->symbols() = std::move(symbols);
  cls->AddOrOverride(f);
  return f;
}

}  // namespace

int FakeCompiler::Compile(TRTTI& cls, ClassSource& source, bool) {
  ++compiles;
  cls.failed = false;
  std::vector<std::string> members;
  bool fail = false;
  for (const std::string& line : splitOn(source.text(), '\n')) {
    if (line.rfind("extends ", 0) == 0) {
      auto* parent = dynamic_cast<TRTTI*>(resourceTree().root->Find(trim(line.substr(8))));
      if (!parent) fail = true;
      cls.parent = parent;
    } else if (line.rfind("var ", 0) == 0) {
      for (const std::string& m : splitOn(line.substr(4), ',')) members.push_back(m);
    } else if (line == "fail") {
      fail = true;
    }
  }
  if (fail) {
    cls.failed = true;
    return 1;
  }
  if (cls.parent && !cls.parent->compiled) return 0;  // pending
  if (cls.parent) {
    cls.InheritMethods();
    cls.InheritMembers();
  }
  for (const std::string& m : members) cls.EnsureMember(m);
  cls.classCode = mainCode(&cls);
  cls.compiled = true;
  return 0;
}

ClassWorld::ClassWorld()
    : savedBaseDir_(resourceTree().baseDir), savedWorkDir_(resourceTree().workDir) {
  initializeRuntime();
  resourceTree().baseDir = dir.system();
  resourceTree().workDir = dir.system();
  rootHolder = MakeResource<TResourceList>("root");
  root = static_cast<TResourceList*>(rootHolder.get());
  SetTreeRoot(root);
  globals =
      static_cast<TResourceList*>(add(*root, "<resourcelist name=\"usrglobal\"></resourcelist>"));
  classes =
      static_cast<TResourceList*>(add(*root, "<resourcelist name=\"classes\"></resourcelist>"));
  auto* lang =
      static_cast<TResourceList*>(add(*classes, "<resourcelist name=\"lang\"></resourcelist>"));
  object = static_cast<TRTTI*>(add(*lang, "<class name=\"Object\" src=\"object.zunka\"/>"));
  dir.write("object.zunka", "var x, y;\r\n");
  object->EnsureMember("x");
  object->EnsureMember("y");
  CodeBuilder draw, ping, constructor;
  draw.pushThis().op(Op_Ret);
  ping.pushInt(7).op(Op_Ret);
  constructor.pushThis().op(Op_Ret);
  addFunction(object, "draw", draw, TFunction::Kind::Normal);
  addFunction(object, "ping", ping, TFunction::Kind::Normal);
  addFunction(object, "constructor", constructor, TFunction::Kind::Constructor);
  auto* nat = new TNativeFunction(object, symbols::intern("nat"));
  nat->handler = [](TNativeFunction*, TValue*, int32_t, uint32_t) {};
  object->AddMethod(nat);
  object->classCode = mainCode(object);
  object->compiled = true;
  setClassCompiler(&compiler);
}

ClassWorld::~ClassWorld() {
  setClassCompiler(nullptr);
  SetTreeRoot(nullptr);
  rootHolder.reset();
  // The next test finds the folders as they were, not this world's removed one
  // (a base directory that no longer exists makes every folder a stranger's).
  resourceTree().baseDir = savedBaseDir_;
  resourceTree().workDir = savedWorkDir_;
}

TResource* ClassWorld::add(TResourceList& list, std::string_view tagText) {
  ResourcePtr made = ParseResourceText(tagText);
  TResource* r = made.get();
  list.Add(std::move(made));
  return r;
}

TRTTI* ClassWorld::addClass(std::string_view name, std::string_view source) {
  std::string file = std::string(name) + ".zunka";
  dir.write(file, source);
  return static_cast<TRTTI*>(
      add(*classes, "<class name=\"" + std::string(name) + "\" src=\"" + file + "\"/>"));
}

void BuildSampleClass(ClassWorld& world, TRTTI& sub) {
  TRTTI* object = world.object;
  sub.Reset();
  sub.parent = object;
  sub.InheritMethods();
  sub.InheritMembers();
  int32_t z = sub.EnsureMember("z");

  TSymInfoList symbols;
  CodeBuilder draw;
  CodeBuilder::Label skip, keep;
  auto here = [&](Opcode op, const char* name) {
    symbols.record(op, name, int32_t(draw.size() * 4));
  };
  TResource* score = world.root->Find("$score");
  draw.pushThis();
  here(Op_SMemberValPtr, "z");
  draw.member(uint32_t(z));
  here(Op_Push, "$score");
  draw.push(TValue::ofRef(vtPointer, score->ValueCell())).op(Op_Deref).op(Op_Subst).op(Op_Pop);
  draw.pushThis();
  here(Op_DMemberValPtr, "x");
  draw.memberByName("x").op(Op_Deref).op(Op_Pop);
  draw.pushThis();
  here(Op_DCall, "ping");
  draw.dcall(0, "ping").op(Op_Pop);
  draw.pushThis();
  here(Op_SCall, "ping");
  draw.scall(0, uint32_t(sub.MethodIndexByName("ping"))).op(Op_Pop);
  draw.pushThis();
  here(Op_SuperCall, "draw");
  draw.superCall(0, object->FindMethodByName("draw")).op(Op_Pop);
  draw.pushThis();
  here(Op_NativeCall, "nat");
  draw.nativeCall(0, object->FindMethodByName("nat")).op(Op_Pop);
  draw.pushNull();
  here(Op_Constructor, "classes.lang.Object");
  draw.construct(0, object).op(Op_Pop);
  draw.pushThis();
  here(Op_Is, "classes.lang.Object");
  draw.is(object).jump(Op_JumpZero, skip).pushInt(1).op(Op_Pop).bind(skip);
  draw.pushString("hello").op(Op_Pop);
  symbols.record(Op_Push, "", int32_t(draw.size() * 4));
  draw.pushInt(5).jump(Op_Jump_And, keep).pushInt(6).bind(keep).op(Op_Pop);
  draw.pushThis().op(Op_Ret);
  Symbol drawName = symbols::intern("draw");
  auto* f = new TNormalFunction(&sub, drawName);
  f->code = draw.finish(&sub, {&skip, &keep});
  f->code->symbols() = std::move(symbols);
  sub.AddOrOverride(f);

  CodeBuilder constructor;
  constructor.localValue(0).op(Op_Pop).pushThis().op(Op_Ret);
  auto* c = new TConstructor(&sub, symbols::intern("constructor"));
  c->params = {"a", "b"};
  c->locals = {"tmp"};
  c->code = constructor.finish(&sub);
  sub.AddOrOverride(c);
  sub.AddMethod(new TNativeFunction(&sub, symbols::intern("own_native")));

  CodeBuilder main;
  main.pushFloat(0);
  sub.classCode = main.finish(&sub);
  sub.classCode->symbols().addPoint(12, 0);
  sub.compiled = true;
}

}  // namespace zunka::testing
