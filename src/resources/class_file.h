#pragma once
#include <memory>

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

// The source stamp a class file records for `src`, whose text (as read) has the
// digest `sourceDigest`: the file's time, size and identity mixed with that
// digest and the code revision of this player.
int32_t ClassSourceStamp(std::string_view src, uint64_t sourceDigest);

}  // namespace zunka
