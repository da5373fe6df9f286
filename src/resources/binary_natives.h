#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// BinWriter and BinReader: binary records of little-endian integers built and
// read in memory, exchanged as Base64 text.
std::span<const vm::NativeEntry> binWriterNatives();
std::span<const vm::NativeEntry> binReaderNatives();

}  // namespace zunka
