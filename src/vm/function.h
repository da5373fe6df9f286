#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vm/compiled_info.h"
#include "vm/host_object.h"
#include "vm/symbols.h"
#include "vm/value.h"

namespace zunka::vm {

class ClassObject;

class TNativeFunction;

// A host function bound to a native method. It reads `this` from the target slot
// and argument i (from 1) at target − i, and leaves its result in the target.
// Plain functions, so that separately built modules can supply them.
using NativeHandler = void (*)(TNativeFunction* self, TValue* target, int32_t argc,
                               uint32_t reserved);
// The read-only face of a plain native such as a container's `get`: from the
// native's `this` (the value in its target) and its arguments (argument i at
// args[i - 1]) it gives the value the handler would leave in its target, not
// retained, changing nothing, counting nothing and raising nothing. It says false wherever it is
// not sure (a wrong argument, an index outside a list), and the handler runs instead. A forwarded
// call whose body returns the native's result asks it first, reading the operands where they lie
// instead of pushing them (vm/forwarded_call.h).
using NativeLookup = bool (*)(const TValue& self, const TValue* args, int32_t argc, TValue& result);

// An entry of a class's method table. Several tables may hold one function (a
// subclass inherits its parent's); `holders` counts them and the last one to let
// go destroys it.
class TFunction : public HostObject {
 public:
  enum class Kind : uint8_t { Normal, Constructor, Destructor, Native };

  TFunction(HostKind family, Kind kind, ClassObject* owner, Symbol name);
  ~TFunction() override;

  Kind kind() const { return kind_; }
  bool isNative() const { return kind_ == Kind::Native; }
  ClassObject* owner() const { return owner_; }
  Symbol name() const { return name_; }
  virtual std::string GetName() const { return symbols::text(name_); }

  void hold() { ++holders_; }
  // Lets go of one holder; destroys the function when none is left.
  void letGo();
  int32_t holders() const { return holders_; }

 private:
  ClassObject* owner_;
  int32_t holders_ = 0;
  Symbol name_;
  Kind kind_;
};

// A method compiled from script source (also the base of constructors and
// destructors): parameter and local names, and its code block.
class TNormalFunction : public TFunction {
 public:
  static constexpr HostKind kHostKind = HostKind::Function;
  TNormalFunction(ClassObject* owner, Symbol name, Kind kind = Kind::Normal);
  const char* hostClassName() const override;

  std::vector<std::string> params;
  std::vector<std::string> locals;
  std::unique_ptr<TCompiledInfo> code;

  int32_t localCount() const { return static_cast<int32_t>(locals.size()); }
};

class TConstructor : public TNormalFunction {
 public:
  TConstructor(ClassObject* owner, Symbol name) : TNormalFunction(owner, name, Kind::Constructor) {}
};

class TDestructor : public TNormalFunction {
 public:
  TDestructor(ClassObject* owner, Symbol name) : TNormalFunction(owner, name, Kind::Destructor) {}
};

// A method whose body the host supplies. Until bound it raises an error when called.
class TNativeFunction : public TFunction {
 public:
  static constexpr HostKind kHostKind = HostKind::Native;
  TNativeFunction(ClassObject* owner, Symbol name);
  const char* hostClassName() const override { return "TNativeFunction"; }

  NativeHandler handler;
  // The handler only works on its target and arguments: it runs no script, never
  // warns, yields or ends the slice, and reads nothing of the calling process
  // (it may raise). A forwarding method's call may run such a native without
  // building the method's frame (interpreter.cpp).
  bool plain = false;
  // Set only for plain natives.
  NativeLookup lookup = nullptr;
};

// The handler every native starts with.
void unboundNative(TNativeFunction*, TValue*, int32_t, uint32_t);

}  // namespace zunka::vm
