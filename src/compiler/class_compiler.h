#pragma once
#include <string_view>

namespace zunka {

class ClassSource;
class TRTTI;

// Compiles the source text of one class into its method table and code: the
// class file when it is current, else tokens (comments removed), parse, the
// declaration and code passes, and a new class file. Gives 0 on success (also for
// a class left uncompiled because its parent is not compiled yet) and nonzero when
// the class failed; with `report`, errors are shown with the place they were
// found. Names resolve against the resource tree's root.
// `source` is read only when the class file cannot be used.
int CompileClass(TRTTI& cls, ClassSource& source, bool report);
int CompileClass(TRTTI& cls, std::string_view text, bool report);

// Makes the current player's script compiler the one class resources compile
// through, and its snippet evaluator the one the tree runs its snippets with.
void installScriptCompiler();

}  // namespace zunka
