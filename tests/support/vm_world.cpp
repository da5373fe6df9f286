#include "vm_world.h"

#include "vm/natives/array_natives.h"

namespace zunka::testing {

VmWorld& VmWorld::get() {
  static VmWorld world;
  return world;
}

VmWorld::VmWorld() {
  initializeRuntime();
  setConsole(&console);
  objectClass = makeClass("Object", nullptr);
  stringClass = makeClass("String", objectClass, {"_body"});
  // As the kernel's string class does: the destructor frees the body.
  TNativeFunction* freeBody =
      addNative(stringClass, "_free_body", [](TNativeFunction*, TValue* t, int32_t argc, uint32_t) {
        if (argc >= 1) delete hostAs<TfString>(t[-1].ref);
      });
  CodeBuilder destructor;
  destructor.pushThis().thisMemberValue(0).nativeCall(1, freeBody).op(Op_Pop).pushThis().op(Op_Ret);
  addMethod(stringClass, "destructor", destructor, 0, 0, {}, TFunction::Kind::Destructor);
  arrayClass = makeClass("Array", objectClass, {"_x"});
  // The array class as the kernel writes it: the body list in _x.
  bindNatives(arrayClass, arrayNatives());
  for (const NativeEntry& e : arrayNatives()) addNative(arrayClass, e.name, e.handler);
  CodeBuilder ctor, setBody;
  ctor.thisMember(0).pushThis().nativeCall(0, arrayClass->FindMethodByName("native_init"));
  ctor.op(Op_Subst).op(Op_Pop).pushThis().op(Op_Ret);
  addMethod(arrayClass, "constructor", ctor, 0, 0, {}, TFunction::Kind::Constructor);
  setBody.thisMember(0).argValue(0).op(Op_Subst).op(Op_Pop).pushThis().op(Op_Ret);
  addMethod(arrayClass, "_setBody", setBody, 1);
  runtime().objectClass = objectClass;
  runtime().stringClass = stringClass;
  runtime().arrayClass = arrayClass;
}

TRTTI* VmWorld::makeClass(const std::string& name, TRTTI* parent,
                          std::initializer_list<const char*> members) {
  auto cls = std::make_unique<TRTTI>(name);
  cls->parent = parent;
  if (parent) {
    cls->InheritMethods();
    cls->InheritMembers();
  }
  for (const char* m : members) cls->EnsureMember(m);
  cls->compiled = true;
  classes_.push_back(std::move(cls));
  return classes_.back().get();
}

TNormalFunction* VmWorld::addMethod(TRTTI* cls, const std::string& name, CodeBuilder& code,
                                    int params, int locals, std::vector<CodeBuilder::Label*> labels,
                                    TFunction::Kind kind) {
  TNormalFunction* f;
  Symbol s = symbols::intern(name);
  if (kind == TFunction::Kind::Constructor)
    f = new TConstructor(cls, s);
  else if (kind == TFunction::Kind::Destructor)
    f = new TDestructor(cls, s);
  else
    f = new TNormalFunction(cls, s);
  for (int i = 0; i < params; ++i) f->params.push_back("p" + std::to_string(i));
  for (int i = 0; i < locals; ++i) f->locals.push_back("l" + std::to_string(i));
  f->code = code.finish(cls, labels);
  cls->AddOrOverride(f);
  return f;
}

TNativeFunction* VmWorld::addNative(TRTTI* cls, const std::string& name, NativeHandler handler) {
  auto* f = new TNativeFunction(cls, symbols::intern(name));
  f->handler = handler;
  cls->AddMethod(f);
  return f;
}

void VmWorld::setMain(TRTTI* cls, CodeBuilder& code, std::vector<CodeBuilder::Label*> labels) {
  cls->classCode = code.finish(cls, labels);
}

VmWorld::Outcome VmWorld::run(TRTTI* cls, const std::string& method, std::vector<TValue> args) {
  TValue self = newObject(cls);
  TProcess* p = TProcess::Create(self, args, method);
  setNull(self);
  for (int guard = 0; guard < 1000 && !p->halted; ++guard) Run(p, 0);
  Outcome out;
  out.state = p->state;
  out.halted = p->halted;
  if (!p->released) {
    const TValue& last = *valueAt(p->stack + TProcess::kStackBytes - 8);
    out.result = toText(last);
    out.kind = last.kind;
  }
  delete p;
  return out;
}

TValue newObject(TRTTI* cls) {
  TValue v = TValue::ofRef(vtObject, cls->NewInstance());
  retain(v);
  return v;
}

}  // namespace zunka::testing
