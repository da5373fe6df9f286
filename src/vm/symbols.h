#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zunka::vm {

using Symbol = uint32_t;

// Process-wide table of interned names. A symbol is the number of distinct names
// interned before it; names that differ only in letter case are one name, spelled
// as first interned. Case folding is Shift_JIS-aware: the second byte of a
// double-byte character is never folded, so ア (83 41) and ダ (83 61) stay apart.
namespace symbols {

// The names interned when the table is created, in this order.
inline constexpr Symbol kBody = 0;       // "_body"
inline constexpr Symbol kGcMark = 1;     // "gc_mark"
inline constexpr Symbol kGenerator = 2;  // "_generator"
inline constexpr Symbol kErrorHook = 3;  // "_errorHook"

Symbol intern(std::string_view name);
// The symbol of a name already interned, or -1 when it never was.
int64_t lookup(std::string_view name);
const std::string& text(Symbol symbol);
uint32_t count();

// Compares names the way the table does (ASCII letters folded outside double-byte
// characters); used wherever the language matches names without regard to case.
bool sameName(std::string_view a, std::string_view b);

}  // namespace symbols
}  // namespace zunka::vm
