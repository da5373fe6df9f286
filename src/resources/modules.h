#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "vm/value.h"

struct ZunkaValue;  // include/zunka/module.h

namespace zunka {

// Plug-in modules. Each folder NAME of kernel\modules holding NAME\NAME.zunkares
// becomes the resource list `modules.NAME`: its classes are compiled, then each of
// its libraries is opened and its `initModule` called with the table of
// include/zunka/module.h, through which it binds its natives. A module that cannot
// be read, compiled or opened is said on the console and left out; the player goes
// on without it.
void LoadModules();
void InitModules();

// What the modules of a player share: the handlers they bound, by the handle of
// the native they serve, and the native call in progress (its target and
// argument count), so that the table hands out only that call's arguments.
struct ModuleState {
  // ZunkaNative of include/zunka/module.h.
  using Handler = void (*)(void* method, ZunkaValue* target, int32_t argc, uint32_t reserved);
  std::map<uint32_t, Handler> handlers;
  std::vector<std::string> classNames;  // the modules' classes, in tree order
  vm::TValue* callTarget = nullptr;
  int32_t callArgc = 0;
  vm::TValue noArgument;    // what a call's missing argument reads as
  std::string raisedError;  // an error a table entry met, raised once the handler returns
};

ModuleState& moduleState();

}  // namespace zunka
