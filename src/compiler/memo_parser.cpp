#include <cstdint>
#include <memory>
#include <vector>

#include "compiler/parser.h"

namespace zunka {
namespace {

constexpr int kUnknown = -2;

struct MemoEntry {
  int32_t end = kUnknown;
  int32_t lastAccepted = -1;  // token index; -1 when no terminal accepted inside
};

// One entry per top-level rule and token position it can be asked about: a plain array for any
// source of sensible size (a 5,000-line class needs a few MB); beyond that,
// chunks of the same array made on first use, so a huge file cannot demand
// memory the parse would never touch, yet each look-up stays an index.
class MemoTable {
 public:
  MemoTable() = default;
  explicit MemoTable(size_t size) : sparse_(size > kDenseLimit) {
    if (sparse_)
      chunks_.resize((size >> kChunkBits) + 1);
    else
      dense_.resize(size);
  }
  // References stay valid while the table grows (chunks never move).
  MemoEntry& operator[](size_t key) {
    if (!sparse_) return dense_[key];
    std::unique_ptr<MemoEntry[]>& chunk = chunks_[key >> kChunkBits];
    if (!chunk) chunk = std::make_unique<MemoEntry[]>(size_t{1} << kChunkBits);
    return chunk[key & ((size_t{1} << kChunkBits) - 1)];
  }

 private:
  static constexpr size_t kDenseLimit = size_t{1} << 23;  // 64 MB of entries
  static constexpr unsigned kChunkBits = 12;              // 32 KB a chunk

  bool sparse_ = false;
  std::vector<MemoEntry> dense_;
  std::vector<std::unique_ptr<MemoEntry[]>> chunks_;
};

// The result of matching an element at a token position depends only on the
// two, so the parser works in two passes. The first only recognises, and
// remembers for every top-level rule and position where the match ended and
// which token was the last a terminal accepted inside it; replaying a
// remembered rule then costs one table look-up yet leaves the last-accepted
// position exactly where a full re-parse would have left it. The second pass
// replays the successful path and builds the tree, allocating no node that a
// backtrack would throw away.
class MemoParser {
 public:
  // Top-level rules carry their row of the memo table in their index.
  MemoParser(const DefinitionElement& grammarRoot, const TLexList& tokens)
      : tokens_(tokens), rules_(grammarRoot.children.size()) {
    kinds_.reserve(tokens.count());
    for (int i = 0; i < tokens.count(); ++i) {
      int kind = tokens[i].rule()->index;
      if (kind < 0 || kind > 255) skipping_ = false;
      kinds_.push_back(static_cast<uint8_t>(kind));
    }
    layOutSlots(grammarRoot);
  }

  // Pass 1: the end position of a match of `element` at `pos`, or kFailed.
  int match(const DefinitionElement& element, int pos) {
    if (depth_ >= kMaxParseDepth) tooDeep_ = true;
    if (tooDeep_ || cannotStartAt(element, pos)) return kFailed;
    if (element.index < 0) return matchUncached(element, pos);
    MemoEntry& entry = memo_[slotOf(element.index, pos)];
    if (entry.end != kUnknown) {
      if (entry.lastAccepted >= 0) accept(entry.lastAccepted);
      return entry.end;
    }
    uint32_t acceptsBefore = accepts_;
    int end = matchUncached(element, pos);
    entry.end = end;
    entry.lastAccepted = accepts_ != acceptsBefore ? lastAccepted_ : -1;
    return end;
  }

  // Pass 2: the tree of a match that pass 1 found at `pos`, and where it ends;
  // every match() it makes was made in pass 1 as well, so rules are answered
  // from the table.
  ResultItem build(const DefinitionElement& element, int pos, int& end) {
    switch (element.kind) {
      case ElementKind::kLiteral:
        end = pos + 1;
        return {&tokens_[pos], nullptr};
      case ElementKind::kReference:
        return build(*element.link, pos, end);
      case ElementKind::kAlternatives:
        for (const DefinitionElement& child : element.children)
          if (match(child.target(), pos) != kFailed) return build(child.target(), pos, end);
        return {};
      case ElementKind::kSequence:
        return buildSequence(element, pos, end);
      case ElementKind::kRange:
        break;
    }
    return {};
  }

  bool tooDeep() const { return tooDeep_; }
  int lastAccepted() const { return lastAccepted_; }

  static constexpr int kFailed = -1;

 private:
  // The memo holds, position after position, one entry for each rule that can
  // be looked up there: a rule that cannot begin with the position's token is
  // refused before the look-up, so it needs no entry. Typically a third of the
  // rules qualify, and the entries a parse reads together lie together.
  void layOutSlots(const DefinitionElement& grammarRoot) {
    // Rows 0-255: a token of that kind; kEndRow: past the last token; kAllRow:
    // every rule, used everywhere when token kinds cannot be told apart.
    slotInRow_.assign(kRows * rules_, -1);
    for (size_t row = 0; row < kRows; ++row) {
      int next = 0;
      for (size_t rule = 0; rule < rules_; ++rule) {
        const DefinitionElement& element = grammarRoot.children[rule];
        bool looked = row == kAllRow || element.nullable ||
                      (row < 256 && element.startTokens.has(static_cast<uint8_t>(row)));
        if (looked) slotInRow_[row * rules_ + rule] = next++;
      }
      rowSize_[row] = static_cast<size_t>(next);
    }
    rowStart_.resize(static_cast<size_t>(tokens_.count()) + 1);
    size_t total = 0;
    for (int pos = 0; pos <= tokens_.count(); ++pos) {
      rowStart_[pos] = total;
      total += rowSize_[rowAt(pos)];
    }
    memo_ = MemoTable(total);
  }

  size_t rowAt(int pos) const {
    if (!skipping_) return kAllRow;
    return pos < tokens_.count() ? kinds_[pos] : kEndRow;
  }

  size_t slotOf(int rule, int pos) const {
    return rowStart_[pos] + static_cast<size_t>(slotInRow_[rowAt(pos) * rules_ + rule]);
  }

  // An element that must take a token fails at once where no token, or one it
  // cannot begin with, stands; nothing inside it could have accepted a token.
  bool cannotStartAt(const DefinitionElement& element, int pos) const {
    if (!skipping_ || element.nullable) return false;
    return pos >= tokens_.count() || !element.startTokens.has(kinds_[pos]);
  }

  void accept(int tokenIndex) {
    lastAccepted_ = tokenIndex;
    ++accepts_;
  }

  int matchUncached(const DefinitionElement& element, int pos) {
    ++depth_;
    int end = matchKind(element, pos);
    --depth_;
    return end;
  }

  int matchKind(const DefinitionElement& element, int pos) {
    switch (element.kind) {
      case ElementKind::kLiteral:
        if (!element.link || pos >= tokens_.count() || tokens_[pos].rule() != element.link)
          return kFailed;
        accept(pos);
        return pos + 1;
      case ElementKind::kReference:
        return match(*element.link, pos);
      case ElementKind::kAlternatives:
        for (const DefinitionElement& child : element.children) {
          int end = match(child.target(), pos);
          if (end != kFailed) return end;
        }
        return kFailed;
      case ElementKind::kSequence:
        return matchSequence(element, pos);
      case ElementKind::kRange:
        break;
    }
    return kFailed;
  }

  int matchSequence(const DefinitionElement& sequence, int pos) {
    int repetitions = 0;
    while (repetitions < sequence.maximum) {
      int end = matchRepetition(sequence, pos);
      if (end == kFailed) break;
      ++repetitions;
      if (end == pos) break;  // an empty repetition would repeat forever
      pos = end;
    }
    return repetitions >= sequence.minimum ? pos : kFailed;
  }

  int matchRepetition(const DefinitionElement& sequence, int pos) {
    for (const DefinitionElement& child : sequence.children) {
      pos = match(child.target(), pos);
      if (pos == kFailed) break;
    }
    return pos;
  }

  // A sequence that must match once did match here, so its children follow
  // one another without being asked again. Each repetition of a group is
  // matched whole before it is built, so no node is made for a repetition
  // that fails. A group that matched nothing holds its element's shared empty
  // node if it has one.
  ResultItem buildSequence(const DefinitionElement& sequence, int pos, int& end) {
    const bool once = sequence.minimum == 1 && sequence.maximum == 1;
    bool matched = once || (sequence.maximum > 0 && matchRepetition(sequence, pos) != kFailed);
    end = pos;
    if (!matched && sequence.emptyNode) return {nullptr, borrow(sequence.emptyNode)};
    std::unique_ptr<TResultList> node = sequence.prototype->newInstance();
    if (sequence.maximum == 1) node->reserve(static_cast<int>(sequence.children.size()));
    int repetitions = 0;
    while (matched) {
      int repetitionStart = pos;
      for (const DefinitionElement& child : sequence.children) {
        int childEnd = pos;
        node->add(build(child.target(), pos, childEnd));
        pos = childEnd;
      }
      ++repetitions;
      if (pos == repetitionStart || repetitions >= sequence.maximum) break;
      matched = matchRepetition(sequence, pos) != kFailed;
    }
    end = pos;
    return {nullptr, std::move(node)};
  }

  static constexpr size_t kEndRow = 256, kAllRow = 257, kRows = 258;

  const TLexList& tokens_;
  size_t rules_;
  std::vector<int32_t> slotInRow_;  // row × rule: the rule's slot, -1 for none
  size_t rowSize_[kRows] = {};
  std::vector<size_t> rowStart_;  // per position: its first entry
  MemoTable memo_;
  std::vector<uint8_t> kinds_;  // lexical rule index of each token
  bool skipping_ = true;
  int lastAccepted_ = -1;
  uint32_t accepts_ = 0;
  int depth_ = 0;
  bool tooDeep_ = false;
};

}  // namespace

ResultItem parseMemoized(const DefinitionElement& grammarRoot, TLexList& tokens) {
  MemoParser parser(grammarRoot, tokens);
  const DefinitionElement& start = grammarRoot.children.front();
  int end = parser.match(start, 0);
  if (parser.lastAccepted() >= 0)
    tokens.lastAcceptedPos = static_cast<int>(tokens[parser.lastAccepted()].start());
  if (end == MemoParser::kFailed || parser.tooDeep()) return {};
  tokens.cursor = end;
  int built = 0;
  return parser.build(start, 0, built);
}

}  // namespace zunka
