#include "compiler/yup.h"

#include <cstdio>

#include "compiler/definition_reader.h"
#include "compiler/first_sets.h"
#include "compiler/single_byte_elements.h"
#include "compiler/start_tokens.h"
#include "compiler/tokenizer.h"
#include "platform/sjis_text.h"

namespace zunka {

TYup::TYup()
    : report_([](const std::string& message) {
        std::fprintf(stderr, "%s\n", platform::sjisToUtf8(message).c_str());
      }) {}

TYup::~TYup() = default;

void TYup::build() {
  if (built()) return;
  DefinitionSources sources;
  sources.report = &report_;
  std::unique_ptr<DefinitionElement> lexical = readDefinition(lexNode_, sources);
  computeFirstSets(*lexical);
  markSingleByteElements(*lexical);
  sources.side = DefinitionSide::kGrammar;
  sources.onCreateList = &onCreateList_;
  sources.lexicalRoot = lexical.get();
  grammar_ = readDefinition(gramNode_, sources);  // throws without a node mapping
  computeStartTokens(*grammar_, *lexical);
  lexical_ = std::move(lexical);
  tokenizer_ = std::make_unique<Tokenizer>(*lexical_);
}

std::unique_ptr<TLexList> TYup::tokenize(std::string_view source) {
  build();
  return tokenizer_->tokenize(source);
}

ParseTree TYup::parse(TLexList& tokens) {
  build();
  return ParseTree(parseTokens(*grammar_, tokens, mode_));
}

}  // namespace zunka
