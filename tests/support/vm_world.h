#pragma once
// A small world of hand-built classes for virtual-machine tests: the root class,
// strings and arrays, a console that records what is reported, and helpers to
// build classes, methods and natives and to run code to its end.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "code_builder.h"
#include "resources/rtti.h"
#include "support/recording_console.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"

namespace zunka::testing {

struct VmWorld {
  static VmWorld& get();

  TRTTI* objectClass;
  TRTTI* stringClass;
  TRTTI* arrayClass;
  RecordingConsole console;

  // A compiled class with the given members (after its parent's).
  TRTTI* makeClass(const std::string& name, TRTTI* parent,
                   std::initializer_list<const char*> members = {});
  // A method with parameters and locals whose code is `code` (Halt appended, fused).
  TNormalFunction* addMethod(TRTTI* cls, const std::string& name, CodeBuilder& code, int params = 0,
                             int locals = 0, std::vector<CodeBuilder::Label*> labels = {},
                             TFunction::Kind kind = TFunction::Kind::Normal);
  TNativeFunction* addNative(TRTTI* cls, const std::string& name, NativeHandler handler);
  void setMain(TRTTI* cls, CodeBuilder& code, std::vector<CodeBuilder::Label*> labels = {});

  // Creates an instance of `cls`, runs its main code to the end (or `method`),
  // and gives the process's final `this` slot text and state.
  struct Outcome {
    std::string result;
    TVType kind = vtNull;
    int state = 0;
    bool halted = false;
  };
  Outcome run(TRTTI* cls, const std::string& method = "", std::vector<TValue> args = {});

 private:
  VmWorld();
  std::vector<std::unique_ptr<TRTTI>> classes_;
};

// A value holding a new object of `cls` (retained by the returned value).
TValue newObject(TRTTI* cls);

}  // namespace zunka::testing
