#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// ProjectManager: _n_currentPageName (first, bound on its own early in boot),
// _n_onSet, _n_onGet.
std::span<const vm::NativeEntry> projectManagerNatives();
// Page: _n_open, a page change carried out between frames.
std::span<const vm::NativeEntry> pageNatives();
// Root-class natives of pages and generators: getPageHashCode, _n_setGenAttr,
// _n_refresh.
std::span<const vm::NativeEntry> pageObjectNatives();
// classes.lang.Boot: generate, which places the page's objects.
std::span<const vm::NativeEntry> bootNatives();
// `_changeAttr` of classes.game.Char.
std::span<const vm::NativeEntry> charNatives();

}  // namespace zunka
