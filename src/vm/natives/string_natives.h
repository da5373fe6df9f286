#pragma once
#include <span>
#include <string_view>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Natives of the string class; `this` is the string object.
std::span<const NativeEntry> stringNatives();

// Whether `native` is the string class's `_free_body`, which deletes the body it
// is handed.
bool freesStringBody(const TNativeFunction* native);

// Character counts as the string natives see them: for substrings a byte of 0x80
// or more outside A0-DF starts a two-byte character; for the length every byte of
// 0x80 or more does.
int32_t wideLength(std::string_view bytes);
std::string_view wideSubstring(std::string_view bytes, int32_t start, int32_t end);

}  // namespace zunka::vm
