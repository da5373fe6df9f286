#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vm/arena.h"
#include "vm/compiled_info.h"

namespace zunka::debugger {

// A script source as the compiler read it: its lines joined with CR LF, so that
// the statement offsets of compiled code count in it.
class SourceText {
 public:
  explicit SourceText(std::string text);
  // The line (from 1) holding byte `offset`.
  int lineAt(size_t offset) const;
  // Line `n` (from 1) without its line end; "" outside the text.
  std::string_view line(int n) const;
  int lineCount() const { return int(lineStarts_.size()); }

 private:
  std::string text_;
  std::vector<size_t> lineStarts_;
};

// Sources read on first use and kept until `clear` (the debugger clears them each
// time it stops, so an edited file shows as it is now).
class SourceFiles {
 public:
  // The source at a class's path (a system path, relative ones against the base
  // directory); nullptr when it cannot be read.
  const SourceText* get(const std::string& path);
  void clear() { files_.clear(); }

 private:
  std::map<std::string, std::optional<SourceText>> files_;
};

// A line of a class's source.
struct SourcePlace {
  std::string path;  // the class's source path
  int line = 0;      // from 1
};

// The source offset of the statement holding `address`, as a run-time error's
// trace finds it; nullopt when the block records none before it.
std::optional<int32_t> statementOffset(const vm::TCompiledInfo& code, vm::Ref address);
// The line of the statement holding `address`; nullopt when unknown.
std::optional<SourcePlace> placeOf(const vm::TCompiledInfo& code, vm::Ref address,
                                   SourceFiles& files);

// Whether a source path names `file`: the same path, or `file` is its tail after a
// separator ("/" or "\" alike, ASCII letters in either case).
bool pathNames(std::string_view path, std::string_view file);
// The last component of a path.
std::string_view fileNameOf(std::string_view path);

}  // namespace zunka::debugger
