#include "compiler/lex_elem.h"

#include "compiler/definition_element.h"
#include "compiler/grammar_counters.h"

namespace zunka {

TLexElem::TLexElem(const DefinitionElement* rule, uint32_t start, uint32_t end)
    : rule_(rule), start_(start), end_(end) {
  ++vm::liveCounters().lexElems;
}

TLexElem::TLexElem(const TLexElem& other)
    : rule_(other.rule_), start_(other.start_), end_(other.end_) {
  ++vm::liveCounters().lexElems;
}

TLexElem::~TLexElem() {
  --vm::liveCounters().lexElems;
}

std::string_view TLexElem::ruleName() const {
  return rule_->name;
}

}  // namespace zunka
