#include "compiler/result_list.h"

#include "compiler/grammar_counters.h"

namespace zunka {

TResultList::TResultList() {
  ++vm::liveCounters().resultLists;
}

TResultList::~TResultList() {
  --vm::liveCounters().resultLists;
}

std::unique_ptr<TResultList> TResultList::newInstance() const {
  return std::make_unique<TResultList>();
}

}  // namespace zunka
