#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "resources/class_file_stream.h"
#include "vm/compiled_info.h"

namespace zunka {

class TRTTI;

// The class-file record of a code block: symbol entries (opcode, name, positions),
// point records (source offset text, position), code length and the code bytes.
void WriteCompiledInfo(ClassFileWriter& file, const vm::TCompiledInfo* info);
// Reads a block and checks it (VerifyCode) before anything may link or run it; a
// block that fails raises the reader's broken-file error.
std::unique_ptr<vm::TCompiledInfo> ReadCompiledInfo(ClassFileReader& file, TRTTI* owner);

// Links a block read from a class file to its class: every recorded operand is
// looked up again by name (globals, members, symbols, methods, natives, classes).
// A name that cannot be found raises the matching "…が見つかりません" error.
void Bind(vm::TCompiledInfo& info, TRTTI& cls);

// The format of class files this player writes and reads; files of any other are
// compiled again.
inline constexpr int32_t kClassFileVersion = 12101;

// The source stamp a class file's records begin with, for the source text whose
// digest is `sourceDigest`: that digest mixed with the code revision of this
// player, so that code made by another revision is never taken.
int32_t ClassSourceStamp(uint64_t sourceDigest);

// The cache file in which the class files loaded together under `name` (the
// kernel's, say) are bundled: see cache_bundle.h.
std::string ClassFileBundlePath(std::string_view name);

}  // namespace zunka
