#pragma once
#include <cstdint>

#include "vm/natives/native_support.h"

namespace zunka {

// Handlers shared by the reader and writer classes, whose streams are the same
// kinds (a stale or mistaken handle does nothing).
// (reader): the next byte (0-255), null at the end.
void NativeReadByte(vm::TNativeFunction*, vm::TValue* target, int32_t argc, uint32_t);
// (reader): the bytes up to the next LF as a string, without it and without CR
// bytes; null at the end.
void NativeReadLine(vm::TNativeFunction*, vm::TValue* target, int32_t argc, uint32_t);
// (writer, v): the bytes of v's text, no line end added.
void NativeWriteText(vm::TNativeFunction*, vm::TValue* target, int32_t argc, uint32_t);

}  // namespace zunka
