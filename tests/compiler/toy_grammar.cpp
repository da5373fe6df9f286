#include "toy_grammar.h"

#include "compiler/definition_reader.h"
#include "compiler/tree_dump.h"

namespace zunka::test {

ToyEngine::ToyEngine(std::string_view lexical, std::string_view grammar) {
  yup.setLexNode(splitDefinitionLines(lexical));
  yup.setGramNode(splitDefinitionLines(grammar));
  yup.setReportHook([this](const std::string& message) { reports.push_back(message); });
  yup.setOnCreateList([this](PResListGetter p) {
    created.push_back(p->name);
    p->prototype = std::make_unique<NamedNode>(p->name);
  });
}

std::string ToyEngine::parse(std::string_view source, ParseMode mode) {
  std::unique_ptr<TLexList> list = yup.tokenize(source);
  yup.setParseMode(mode);
  ParseTree tree = yup.parse(*list);
  return tree ? dumpTree(*tree.root(), *list) : "(no parse)";
}

std::vector<std::string> ToyEngine::tokens(std::string_view source) {
  std::unique_ptr<TLexList> list = yup.tokenize(source);
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i)
    out.push_back((*list)[i].rule()->name + ":" + std::string(list->text((*list)[i])));
  return out;
}

}  // namespace zunka::test
