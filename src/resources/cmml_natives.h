#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// classes.lang.CMML: tag names, attributes and sub-items of the elements of tag
// documents, and the documents' making, holding and text form.
std::span<const vm::NativeEntry> cmmlNatives();

}  // namespace zunka
