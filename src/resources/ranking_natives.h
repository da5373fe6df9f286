#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// classes.customres.Ranking: _n_setParam(_, name, value), _n_clearParam(_) and
// _n_openBrowser(_, url), which signs the parameters into the address and opens
// it in the browser, at most six times a minute.
std::span<const vm::NativeEntry> rankingNatives();

}  // namespace zunka
