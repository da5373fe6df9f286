#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vm/compiled_info.h"

namespace zunka::vm {

// Checks a code block that comes from disk (a class file) before it is linked and
// run. Compiled blocks are trusted; a block read back may be truncated, corrupted
// or forged, and the interpreter does not re-check what the compiler guarantees.
// The block must:
// - decode instruction by instruction within its length (known opcodes, inline
//   strings and operands inside the block);
// - jump only to instruction starts inside the block (or to its end, where the
//   block's closing Halt stands);
// - carry no raw references: Push immediates are null, integers, reals or errors,
//   and every operand naming a global, member symbol, method, class or native is
//   listed in the symbol entries, so that linking rewrites it;
// - list symbol entries only for the instructions linking knows, at positions
//   that hold such an instruction;
// - keep the operand stack consistent: never pop below the frame, and reach every
//   instruction with one depth whichever way it is entered.
// Returns "" for a sound block, else a short reason (for diagnostics).
std::string VerifyCode(const std::vector<uint32_t>& words, const TSymInfoList& symbols);

}  // namespace zunka::vm
