#pragma once
// Out-of-line parts of the interpreter: everything unusual an instruction can meet
// (conversions, string results, warnings, errors) lives here, so that the dispatch
// loop keeps only the common cases inline.
#include <cstdint>

#include "vm/opcodes.h"
#include "vm/process.h"
#include "vm/symbols.h"
#include "vm/value.h"

namespace zunka::vm::ops {

// a := a <op> b for the binary arithmetic instructions, every kind combination; b
// is left for the caller to release. Raises the division error for integer / 0.
void arithmetic(Opcode op, TValue& a, const TValue& b);
// Comparisons: releases both operands, then stores 1.0 or 0.0 into a.
void comparison(Opcode op, TValue& a, TValue& b);
// What an instruction wrote into the stack of a process killed meanwhile (a
// concatenation whose new string finalised garbage) is let go: the kill already
// released everything the stack held before.
void dropAfterKill(TValue& a);
// a += v / a -= v through a pointer target.
void addSubst(bool subtract, TValue& target, const TValue& v);

// The shared dummy reset to null or error 0.
TValue* dummy(bool toError);

// Member lookup by name on the value on top; returns the member cell, or the
// dummy after the warnings of a failed lookup. Updates the hint word.
TValue* memberByName(TProcess* p, const TValue& top, Symbol name, uint32_t& hint);

[[noreturn]] void raise(const char* text);
[[noreturn]] void raiseText(const std::string& text);
[[noreturn]] void stackOverflow();
[[noreturn]] void badOpcode(uint32_t op);

// The "…は初期化されていないため" / "…はオブジェクトではないため" part of a warning.
std::string notObjectReason(const TValue& v);

}  // namespace zunka::vm::ops
