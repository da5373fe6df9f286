#include "compiler/result_list.h"

#include "compiler/grammar_counters.h"

namespace zunka {

TResultList::TResultList() {
  ++GrammarCounters::liveResultNodes;
}

TResultList::~TResultList() {
  --GrammarCounters::liveResultNodes;
}

std::unique_ptr<TResultList> TResultList::newInstance() const {
  return std::make_unique<TResultList>();
}

}  // namespace zunka
