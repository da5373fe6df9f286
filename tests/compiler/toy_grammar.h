#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/result_list.h"
#include "compiler/yup.h"

namespace zunka::test {

// A node for toy grammars that is named after the element it was made for
// (groups, whose name is empty, show as "_").
class NamedNode : public TResultList {
 public:
  explicit NamedNode(std::string name) : name_(name.empty() ? "_" : std::move(name)) {}
  const char* className() const override { return name_.c_str(); }
  std::unique_ptr<TResultList> newInstance() const override {
    return std::make_unique<NamedNode>(name_);
  }

 private:
  std::string name_;
};

// An engine over definition texts given inline, recording its reports and the
// names it was asked to make nodes for.
struct ToyEngine {
  TYup yup;
  std::vector<std::string> reports;
  std::vector<std::string> created;

  ToyEngine(std::string_view lexical, std::string_view grammar);

  // The tree of a parse as dumpTree draws it, or "(no parse)".
  std::string parse(std::string_view source, ParseMode mode = ParseMode::kMemoized);
  // Token texts as "RULE:text".
  std::vector<std::string> tokens(std::string_view source);
};

// A small expression language whose tokens and rules differ from the script
// language's: "let" bindings, + and *, parentheses.
inline constexpr std::string_view kToyLexical = R"(Lex
 'let
 '+
 '*
 '(
 ')
 '=
 INT
  [}
   D
 ID
  [}
   L
 *Stop
 -D
  '0
  '9
 -L
  'a
  'z
@

)";

inline constexpr std::string_view kToyGrammar = R"(Gram
 Prog
  {}
   Stmt
 |Stmt
  Let
  Sum
 Let
  'let
  'ID
  '=
  Sum
 Sum
  Prod
  {}
   '+
   Prod
 Prod
  Atom
  {}
   '*
   Atom
 |Atom
  'INT
  'ID
  Paren
 Paren
  '(
  Sum
  ')
@

)";

}  // namespace zunka::test
