#include "compiler/tokenizer.h"

#include <cstring>
#include <string>

namespace zunka {
namespace {

// Recursive lexical definitions could nest without end; past this depth an
// element simply fails to match.
constexpr int kMaxLexicalDepth = 1000;

constexpr size_t kNoMatch = static_cast<size_t>(-1);

// Matches one element at `pos`; the end of the match or kNoMatch. Repetitions
// are greedy and a chosen alternative is never revised.
class LexicalMatcher {
 public:
  explicit LexicalMatcher(std::string_view text) : text_(text) {}

  size_t match(const DefinitionElement& element, size_t pos) {
    if (depth_ >= kMaxLexicalDepth) return kNoMatch;
    // The walk below would take singleByteHeight more levels: only where all
    // of them fit is the set test its exact answer.
    if (element.singleByte && depth_ + element.singleByteHeight < kMaxLexicalDepth)
      return acceptsByte(element.singleBytes, pos) ? pos + 1 : kNoMatch;
    ++depth_;
    size_t end = matchKind(element, pos);
    --depth_;
    return end;
  }

 private:
  size_t matchKind(const DefinitionElement& element, size_t pos) {
    switch (element.kind) {
      case ElementKind::kLiteral:
        return matchLiteral(element, pos);
      case ElementKind::kRange:
        if (pos < text_.size() && static_cast<uint8_t>(text_[pos]) >= element.low &&
            static_cast<uint8_t>(text_[pos]) <= element.high)
          return pos + 1;
        return kNoMatch;
      case ElementKind::kAlternatives:
        return matchAlternatives(element, pos);
      case ElementKind::kSequence:
        return matchSequence(element, pos);
      case ElementKind::kReference:
        return match(*element.link, pos);
    }
    return kNoMatch;
  }

  // The first alternative that matches wins. When the leading ones each take
  // one byte, either one of them takes this byte or none does.
  size_t matchAlternatives(const DefinitionElement& alternatives, size_t pos) {
    size_t first = 0;
    if (alternatives.leadingSingleByteChildren > 0 &&
        depth_ + alternatives.leadingHeight < kMaxLexicalDepth) {
      if (acceptsByte(alternatives.leadingBytes, pos)) return pos + 1;
      first = alternatives.leadingSingleByteChildren;
    }
    for (size_t i = first; i < alternatives.children.size(); ++i) {
      size_t end = match(alternatives.children[i].target(), pos);
      if (end != kNoMatch) return end;
    }
    return kNoMatch;
  }

  bool acceptsByte(const TFirst& bytes, size_t pos) const {
    return pos < text_.size() && bytes.has(static_cast<uint8_t>(text_[pos]));
  }

  size_t matchLiteral(const DefinitionElement& literal, size_t pos) const {
    const std::string& bytes = literal.name;
    if (!literal.link || text_.size() - pos < bytes.size()) return kNoMatch;
    return std::memcmp(text_.data() + pos, bytes.data(), bytes.size()) == 0 ? pos + bytes.size()
                                                                            : kNoMatch;
  }

  size_t matchSequence(const DefinitionElement& sequence, size_t start) {
    size_t pos = start;
    int repetitions = 0;
    const TFirst* runBytes = bytesOfARun(sequence);
    while (repetitions < sequence.maximum) {
      if (runBytes && acceptsByte(*runBytes, pos)) {  // what matchChildren would find
        ++repetitions;
        ++pos;
        continue;
      }
      size_t end = matchChildren(sequence, pos);
      if (end == kNoMatch) break;
      ++repetitions;
      if (end == pos) break;  // an empty repetition would repeat forever
      pos = end;
    }
    return repetitions >= sequence.minimum ? pos : kNoMatch;
  }

  // For a repetition of one alternatives element whose leading children take
  // one byte each (the letters of a name), the bytes that they take, where the
  // walk would reach them within the depth limit; those bytes are then taken
  // in a loop, and any other byte is matched the long way.
  const TFirst* bytesOfARun(const DefinitionElement& sequence) const {
    if (sequence.maximum <= 1 || sequence.children.size() != 1) return nullptr;
    const DefinitionElement& child = sequence.children[0].target();
    if (child.kind != ElementKind::kAlternatives || child.leadingSingleByteChildren == 0)
      return nullptr;
    // matchChildren would ask for the child at this depth, and the child's
    // leading alternatives one level further down.
    if (depth_ >= kMaxLexicalDepth || depth_ + 1 + child.leadingHeight >= kMaxLexicalDepth)
      return nullptr;
    return &child.leadingBytes;
  }

  size_t matchChildren(const DefinitionElement& sequence, size_t pos) {
    for (const DefinitionElement& child : sequence.children) {
      pos = match(child.target(), pos);
      if (pos == kNoMatch) break;
    }
    return pos;
  }

  std::string_view text_;
  int depth_ = 0;
};

}  // namespace

Tokenizer::Tokenizer(const DefinitionElement& lexicalRoot) {
  for (const DefinitionElement& rule : lexicalRoot.children) {
    if (rule.name == "*Stop") break;
    for (int byte = 0; byte < 256; ++byte)
      if (rule.first.has(static_cast<uint8_t>(byte))) candidates_[byte].push_back(&rule);
  }
}

std::unique_ptr<TLexList> Tokenizer::tokenize(std::string_view source) const {
  auto list = std::make_unique<TLexList>(source);
  LexicalMatcher matcher(list->source());
  size_t pos = 0;
  while (pos < source.size()) {
    const DefinitionElement* best = nullptr;
    size_t bestEnd = pos;
    for (const DefinitionElement* rule : candidates_[static_cast<uint8_t>(source[pos])]) {
      size_t end = matcher.match(*rule, pos);
      if (end != kNoMatch && end > bestEnd) {
        best = rule;
        bestEnd = end;
      }
    }
    if (best) list->add(best, static_cast<uint32_t>(pos), static_cast<uint32_t>(bestEnd));
    pos = best ? bestEnd : pos + 1;
  }
  return list;
}

}  // namespace zunka
