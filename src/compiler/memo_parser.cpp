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

// One entry per top-level rule and token position: a plain array for any
// source of sensible size (a 5,000-line class needs about 16 MB); beyond that,
// chunks of the same array made on first use, so a huge file cannot demand
// memory the parse would never touch, yet each look-up stays an index.
class MemoTable {
 public:
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

  bool sparse_;
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
      : tokens_(tokens), stride_(tokens.count() + 1), memo_(grammarRoot.children.size() * stride_) {
    kinds_.reserve(tokens.count());
    for (int i = 0; i < tokens.count(); ++i) {
      int kind = tokens[i].rule()->index;
      if (kind < 0 || kind > 255) skipping_ = false;
      kinds_.push_back(static_cast<uint8_t>(kind));
    }
  }

  // Pass 1: the end position of a match of `element` at `pos`, or kFailed.
  int match(const DefinitionElement& element, int pos) {
    if (depth_ >= kMaxParseDepth) tooDeep_ = true;
    if (tooDeep_ || cannotStartAt(element, pos)) return kFailed;
    if (element.index < 0) return matchUncached(element, pos);
    MemoEntry& entry = memo_[static_cast<size_t>(element.index) * stride_ + pos];
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

  // Pass 2: the tree of a match that pass 1 found; every match() it makes was
  // made in pass 1 as well, so rules are answered from the table.
  ResultItem build(const DefinitionElement& element, int pos) {
    switch (element.kind) {
      case ElementKind::kLiteral:
        return {&tokens_[pos], nullptr};
      case ElementKind::kReference:
        return build(*element.link, pos);
      case ElementKind::kAlternatives:
        for (const DefinitionElement& child : element.children)
          if (match(child.target(), pos) != kFailed) return build(child.target(), pos);
        return {};
      case ElementKind::kSequence:
        return buildSequence(element, pos);
      case ElementKind::kRange:
        break;
    }
    return {};
  }

  bool tooDeep() const { return tooDeep_; }
  int lastAccepted() const { return lastAccepted_; }

  static constexpr int kFailed = -1;

 private:
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

  // Each repetition is first matched child by child, the ends kept on a
  // scratch stack (indices, since nested builds grow it), then built.
  ResultItem buildSequence(const DefinitionElement& sequence, int pos) {
    std::unique_ptr<TResultList> node = sequence.prototype->newInstance();
    const size_t base = ends_.size();
    if (sequence.maximum == 1) node->reserve(static_cast<int>(sequence.children.size()));
    int repetitions = 0;
    while (repetitions < sequence.maximum) {
      if (!matchRepetitionEnds(sequence, pos)) break;
      int repetitionStart = pos;
      for (size_t i = 0; i < sequence.children.size(); ++i) {
        node->add(build(sequence.children[i].target(), pos));
        pos = ends_[base + i];
      }
      ends_.resize(base);
      ++repetitions;
      if (pos == repetitionStart) break;
    }
    ends_.resize(base);
    return {nullptr, std::move(node)};
  }

  bool matchRepetitionEnds(const DefinitionElement& sequence, int pos) {
    for (const DefinitionElement& child : sequence.children) {
      pos = match(child.target(), pos);
      if (pos == kFailed) return false;
      ends_.push_back(pos);
    }
    return true;
  }

  const TLexList& tokens_;
  size_t stride_;
  MemoTable memo_;
  std::vector<uint8_t> kinds_;  // lexical rule index of each token
  std::vector<int> ends_;       // buildSequence's scratch stack
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
  return parser.build(start, 0);
}

}  // namespace zunka
