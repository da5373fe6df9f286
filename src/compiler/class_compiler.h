#pragma once
#include <string_view>

namespace zunka {

class TRTTI;
class TResource;

// Compiles the source text of one class into its method table and code: tokens
// (comments removed), parse, the declaration and code passes. Gives 0 on success
// (also for a class left uncompiled because its parent is not compiled yet) and
// nonzero when the class failed; with `report`, errors are shown with the place
// they were found.
int CompileClass(TRTTI& cls, std::string_view source, bool report);

// The tree names are resolved against (the resource root).
void setCompilerRoot(TResource* root);
TResource* compilerRoot();

}  // namespace zunka
