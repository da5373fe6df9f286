#pragma once
#include <functional>
#include <memory>
#include <string>

#include "compiler/result_list.h"

namespace zunka {

// What the grammar engine asks its owner for each element of the grammar text:
// the element's name goes in, a node prototype comes out.
struct TResListGetter {
  std::string name;
  std::unique_ptr<TResultList> prototype;
};
using PResListGetter = TResListGetter*;
using TCrLst = std::function<void(PResListGetter p)>;

// Receives the engine's reports about faulty definition texts (Shift_JIS).
using GrammarReportHook = std::function<void(const std::string& message)>;

}  // namespace zunka
