#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "compiler/first_set.h"
#include "compiler/result_list.h"

namespace zunka {

enum class ElementKind : uint8_t {
  kSequence = 0,
  kAlternatives = 1,
  kLiteral = 2,  // lexical: exact bytes; grammar: a terminal naming a lexical rule
  kRange = 3,    // lexical only: one byte within [low, high]
  kReference = 4,
};

// Repetition bound that stands for "no bound".
inline constexpr int kUnbounded = 123456;

// One line of a definition text. Both the lexical and the grammar text are read
// into trees of these; the engine's tokenizer and parser walk them directly, so
// the language lives entirely in the data.
struct DefinitionElement {
  std::string name;
  ElementKind kind = ElementKind::kReference;
  // The element this one stands for: itself; for a resolved reference the
  // top-level rule it names; for a grammar terminal the lexical rule it names
  // (null when that rule does not exist, and the terminal then never matches).
  const DefinitionElement* link = nullptr;
  uint8_t low = 0, high = 0;                // kRange
  int minimum = 1, maximum = 1;             // kSequence
  std::vector<DefinitionElement> children;  // in line order
  TFirst first;                             // lexical tree only
  // Lexical tree only (compiler/single_byte_elements.h): for an element that
  // always matches exactly one byte, those bytes and how many match levels
  // below it a walk would take; for alternatives, the same for the leading
  // children that are such elements.
  bool singleByte = false;
  TFirst singleBytes;
  int singleByteHeight = 0;
  size_t leadingSingleByteChildren = 0;
  TFirst leadingBytes;
  int leadingHeight = 0;
  std::unique_ptr<TResultList> prototype;  // grammar tree only
  // Grammar sequences whose prototype allows it: the node every match of no
  // repetition holds.
  LentNode emptyNode;
  // Position among the top-level rules of its tree, -1 below them: a token's
  // kind on the lexical side, the row of the parse memo on the grammar side.
  int index = -1;
  // Grammar tree only: the token kinds a match can begin with, and whether it
  // can match without consuming a token. Both may say more than is possible,
  // never less, so the parser can skip elements that cannot match here.
  TFirst startTokens;
  bool nullable = true;

  bool isTerminal() const { return kind == ElementKind::kLiteral; }
  // What matching this element as a child runs: the linked rule for a reference,
  // the element itself otherwise (a terminal is matched as itself).
  const DefinitionElement& target() const {
    return kind == ElementKind::kReference ? *link : *this;
  }
};

}  // namespace zunka
