#include "compiler/parser.h"

namespace zunka {
namespace {

// Recursive descent with ordered choice, greedy bounded repetition and
// backtracking to the start of a failed element; nodes are built as it goes and
// freed when a branch fails.
class BacktrackingParser {
 public:
  explicit BacktrackingParser(TLexList& tokens) : tokens_(tokens) {}

  ResultItem parse(const DefinitionElement& element) {
    if (depth_ >= kMaxParseDepth) tooDeep_ = true;
    if (tooDeep_) return {};
    ++depth_;
    ResultItem result = parseKind(element);
    --depth_;
    return result;
  }

  bool tooDeep() const { return tooDeep_; }

 private:
  ResultItem parseKind(const DefinitionElement& element) {
    switch (element.kind) {
      case ElementKind::kLiteral:
        return parseTerminal(element);
      case ElementKind::kSequence:
        return parseSequence(element);
      case ElementKind::kAlternatives:
        return parseAlternatives(element);
      case ElementKind::kReference:
        return parse(*element.link);
      case ElementKind::kRange:
        break;
    }
    return {};
  }

  ResultItem parseTerminal(const DefinitionElement& terminal) {
    int at = tokens_.cursor;
    if (!terminal.link || at >= tokens_.count() || tokens_[at].rule() != terminal.link) return {};
    tokens_.lastAcceptedPos = static_cast<int>(tokens_[at].start());
    ++tokens_.cursor;
    return {&tokens_[at], nullptr};
  }

  ResultItem parseAlternatives(const DefinitionElement& alternatives) {
    int start = tokens_.cursor;
    for (const DefinitionElement& child : alternatives.children) {
      ResultItem result = parse(child.target());
      if (result) return result;
      tokens_.cursor = start;
    }
    return {};
  }

  ResultItem parseSequence(const DefinitionElement& sequence) {
    int start = tokens_.cursor;
    std::unique_ptr<TResultList> node = sequence.prototype->newInstance();
    if (sequence.maximum == 1) node->reserve(static_cast<int>(sequence.children.size()));
    int repetitions = 0;
    while (repetitions < sequence.maximum) {
      int repetitionStart = tokens_.cursor;
      if (!parseRepetition(sequence, *node)) {
        tokens_.cursor = repetitionStart;
        break;
      }
      ++repetitions;
      if (tokens_.cursor == repetitionStart) break;  // an empty repetition would repeat forever
    }
    if (repetitions >= sequence.minimum) return {nullptr, std::move(node)};
    tokens_.cursor = start;
    return {};
  }

  // Appends one repetition's results; on failure removes what it appended.
  bool parseRepetition(const DefinitionElement& sequence, TResultList& node) {
    int itemsBefore = node.count();
    for (const DefinitionElement& child : sequence.children) {
      ResultItem result = parse(child.target());
      if (!result) {
        node.truncate(itemsBefore);
        return false;
      }
      node.add(std::move(result));
    }
    return true;
  }

  TLexList& tokens_;
  int depth_ = 0;
  bool tooDeep_ = false;  // once set, the whole parse fails
};

}  // namespace

ResultItem parsePlain(const DefinitionElement& grammarRoot, TLexList& tokens) {
  BacktrackingParser parser(tokens);
  ResultItem result = parser.parse(grammarRoot.children.front());
  if (parser.tooDeep()) return {};
  return result;
}

}  // namespace zunka
