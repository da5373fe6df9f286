#pragma once
#include <string_view>

namespace zunka {

class ClassSource;
class TRTTI;

// Turns a class's source text into its members, method table and code. The
// script compiler implements it; class resources compile through whichever
// instance is installed. An implementation first tries TRTTI::LoadClassFile()
// and, after compiling a class that has a source file, saves it with
// TRTTI::SaveClassFile().
class ClassCompiler {
 public:
  virtual ~ClassCompiler() = default;
  // 0 on success, nonzero when the class failed (its `failed` flag is set). A
  // class whose parent is not compiled yet stays uncompiled and gives 0: it is
  // pending and a later initialisation pass compiles it.
  // The text is taken from `source` only when needed: not at all for a class
  // restored from a class file its source's stamp vouches for.
  virtual int Compile(TRTTI& cls, ClassSource& source, bool report) = 0;
};

void setClassCompiler(ClassCompiler* compiler);
ClassCompiler* classCompiler();

}  // namespace zunka
