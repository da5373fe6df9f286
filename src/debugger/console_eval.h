#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "vm/process.h"
#include "vm/value.h"

namespace zunka::debugger {

// What a console line gave: its value's text (empty for statements), or why it
// could not run.
struct Evaluation {
  bool ok = false;
  std::string text;
};

// Names and values the line may read besides `this`'s: the stopped frame's
// arguments and local variables.
struct FrameValues {
  std::vector<std::string> names;
  std::vector<vm::TValue> values;
};
// The innermost frame's arguments (left out ones null) and locals, by name.
FrameValues frameValues(const vm::TProcess& p);

// Runs a line of script typed while the game is stopped, for the object `self`
// (the stopped frame's `this`; anything else: a fresh object). The line is
// compiled as a method of a throw-away subclass of self's class, taking the
// frame's values as its arguments, and run on self: members, methods, the
// frame's arguments and locals and the globals are in reach by name as in the
// class's own code. Assigning to a member or a global lasts; to an argument or a
// local it does not. An expression gives its value; statements run and give "".
// Errors, of compiling and of running, come back as the text instead of a message.
Evaluation evaluateLine(std::string_view line, const vm::TValue& self,
                        const FrameValues& frame = {});

}  // namespace zunka::debugger
