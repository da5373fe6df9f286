#pragma once
#include <string>
#include <vector>

#include "debugger/source_files.h"
#include "vm/arena.h"

namespace zunka {
class TResource;
}

namespace zunka::debugger {

// A breakpoint on a line of a script source, as the user gave it, and the code
// addresses it stops at. A line without a statement stops at the first line
// after it that has one; a source line may have code in several places (a
// statement of the class body and of a method on one line, or a class compiled
// for two pages).
struct LineBreakpoint {
  std::string file;
  int line = 0;
  int resolvedLine = 0;  // 0: no code found (yet)
  std::vector<vm::Ref> addresses;
};

// Finds the code of `breakpoint` in every class below `root` whose source path
// names its file. Addresses are instruction starts: where a statement's code
// begins, once per line and block even when the line has several statements.
void resolveLine(LineBreakpoint& breakpoint, TResource* root, SourceFiles& files);

}  // namespace zunka::debugger
