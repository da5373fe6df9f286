#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/definition_element.h"
#include "compiler/lex_list.h"
#include "compiler/parse_tree.h"
#include "compiler/parser.h"
#include "compiler/res_list_getter.h"

namespace zunka {

class Tokenizer;

// The grammar engine: turns a lexical and a grammar definition text into a
// tokenizer and a parser (memoised by default, plain backtracking on request). It knows nothing of
// any language; the texts and the owner's OnCreateList mapping supply everything.
class TYup {
 public:
  TYup();
  ~TYup();
  TYup(const TYup&) = delete;
  TYup& operator=(const TYup&) = delete;

  // The definition texts, one line per entry. They are compiled on the first
  // tokenize request; later changes have no effect.
  const std::vector<std::string>& lexNode() const { return lexNode_; }
  const std::vector<std::string>& gramNode() const { return gramNode_; }
  void setLexNode(std::vector<std::string> lines) { lexNode_ = std::move(lines); }
  void setGramNode(std::vector<std::string> lines) { gramNode_ = std::move(lines); }

  // Called once per grammar element while the definitions are compiled.
  void setOnCreateList(TCrLst handler) { onCreateList_ = std::move(handler); }
  // Where definition faults are reported; by default the standard error stream.
  void setReportHook(GrammarReportHook hook) { report_ = std::move(hook); }
  void setParseMode(ParseMode mode) { mode_ = mode; }

  bool built() const { return tokenizer_ != nullptr; }
  // Compiles the definitions if that has not happened yet.
  void build();

  std::unique_ptr<TLexList> tokenize(std::string_view source);
  // Parses the tokens with the first grammar rule; an empty tree when they do
  // not form a program (the list then holds the position to report).
  ParseTree parse(TLexList& tokens);

  // The compiled trees (null before build), for tools and tests.
  const DefinitionElement* lexicalRoot() const { return lexical_.get(); }
  const DefinitionElement* grammarRoot() const { return grammar_.get(); }

 private:
  std::vector<std::string> lexNode_;
  std::vector<std::string> gramNode_;
  TCrLst onCreateList_;
  GrammarReportHook report_;
  ParseMode mode_ = ParseMode::kMemoized;
  std::unique_ptr<DefinitionElement> lexical_;
  std::unique_ptr<DefinitionElement> grammar_;
  std::unique_ptr<Tokenizer> tokenizer_;
};

}  // namespace zunka
