#pragma once
#include <string>
#include <vector>

#include "vm/arena.h"
#include "vm/compiled_info.h"
#include "vm/process.h"

namespace zunka::debugger {

// The code block a process is running: its innermost frame's function's, or the
// main code of its `this` object's class; nullptr when there is none (a process
// that has returned or was killed).
const vm::TCompiledInfo* runningCode(const vm::TProcess& p);

// The listing of a code block (one line per instruction, each starting with its
// address in eight hexadecimal digits) and the line of one address in it.
struct CodeListing {
  std::vector<std::string> lines;
  std::vector<vm::Ref> addresses;  // of each line
  int marked = -1;                 // the line of the marked address, -1 when none
};
CodeListing listCode(const vm::TCompiledInfo& code, vm::Ref marked = 0);
// The listing of the block the process runs, its next instruction marked.
CodeListing currentListing(const vm::TProcess& p);

// The value stack as the window lists it: the stack dump, then "proc.sp =" and
// the stack pointer in decimal.
std::vector<std::string> stackLines(const vm::TProcess& p);

// The innermost frame's arguments and local variables and the members of its
// `this`, each as "name = value" under a heading; strings are quoted.
std::vector<std::string> variableLines(const vm::TProcess& p);

// A value as a line of the variable view: strings in quotes, long texts cut.
std::string valueLine(const vm::TValue& v);

}  // namespace zunka::debugger
