// The named items of the syntax nodes against the grammar text: every index a
// node's accessors read must hold the element its name promises, so that a
// grammar edit that shifts a rule's children fails here instead of compiling
// the wrong child.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "compiler/definition_reader.h"
#include "compiler/script_grammar.h"
#include "compiler/syntax_nodes.h"
#include "script_test_support.h"

namespace zunka::test {
namespace {

std::string joined(const std::vector<DefinitionElement>& elements);

std::string marker(const DefinitionElement& e) {
  if (e.kind == ElementKind::kAlternatives) return "|";
  if (e.kind != ElementKind::kSequence || (e.minimum == 1 && e.maximum == 1)) return "";
  if (e.minimum == 0 && e.maximum == 1) return "[]";
  if (e.minimum == 0 && e.maximum == kUnbounded) return "{}";
  return "[" + std::to_string(e.minimum) + "," + std::to_string(e.maximum) + "]";
}

// An element on one line, as the rule comments write it.
std::string render(const DefinitionElement& e) {
  if (e.kind == ElementKind::kLiteral) return "'" + e.name;
  if (e.kind == ElementKind::kReference) return e.name;
  return marker(e) + e.name + "(" + joined(e.children) + ")";
}

std::string joined(const std::vector<DefinitionElement>& elements) {
  std::string out;
  for (const DefinitionElement& e : elements) out += (out.empty() ? "" : " ") + render(e);
  return out;
}

std::string renderRule(const DefinitionElement& rule) {
  return marker(rule) + rule.name + ": " + joined(rule.children);
}

const DefinitionElement* findRule(const DefinitionElement& grammar, const std::string& name) {
  for (const DefinitionElement& rule : grammar.children)
    if (rule.name == name) return &rule;
  return nullptr;
}

// A node class and the number of its rule's elements; "[]" for a rule that may
// match nothing, "|" for an alternatives rule, which makes no node of its own.
struct NodeRule {
  const char* rule;
  int items;
  const char* shape = "";
};

const NodeRule kNodeRules[] = {
    {"Program", G_Program::kItems},
    {"Extends", G_Extends::kItems, "[]"},
    {"Sentence", 0, "|"},
    {"ExprS", G_ExprS::kItems},
    {"Expr", G_Expr::kItems},
    {"RVal", G_RVal::kItems},
    {"OrEx", G_OrEx::kItems},
    {"AndEx", G_AndEx::kItems},
    {"IsEx", G_IsEx::kItems},
    {"CompEx", G_CompEx::kItems},
    {"ASEx", G_ASEx::kItems},
    {"MDEx", G_MDEx::kItems},
    {"Una", 0, "|"},
    {"IncEx", G_IncEx::kItems},
    {"NewObj", G_NewObj::kItems},
    {"Par", G_Par::kItems},
    {"Const", G_Const::kItems},
    {"LVal", G_LVal::kItems},
    {"LValE", G_LValE::kItems},
    {"ResourceVal", G_ResourceVal::kItems},
    {"ArgList", G_ArgList::kItems, "[]"},
    {"Block", G_Block::kItems},
    {"Forin", G_Forin::kItems},
    {"While", G_While::kItems},
    {"For", G_For::kItems},
    {"Break", G_Break::kItems},
    {"If", G_If::kItems},
    {"Return", G_Return::kItems},
    {"FuncDecl", G_FuncDecl::kItems},
    {"NativeDecl", G_NativeDecl::kItems},
    {"VArgList", G_VArgList::kItems, "[]"},
    {"VarBlock", G_VarBlock::kItems},
    {"VarDecl", G_VarDecl::kItems},
};

// One named item: its path of indexes from the node (an index inside a `{}`
// group counts within one repetition), the element the grammar must have
// there, and for a group the number of items its view expects per match.
struct Slot {
  const char* rule;
  const char* name;
  std::vector<int> path;
  std::string element;
  int groupItems = -1;
};

template <class Chain>
std::vector<Slot> chainSlots(const char* rule, const std::string& operand, const std::string& op) {
  return {
      {rule, "first", {Chain::kFirst}, operand},
      {rule, "rest", {Chain::kRest}, "{}(" + op + " " + operand + ")", OperatorPairs::kItems},
      {rule, "rest.op", {Chain::kRest, OperatorPairs::kOperator}, op},
      {rule, "rest.operand", {Chain::kRest, OperatorPairs::kOperand}, operand},
  };
}

std::vector<Slot> allSlots() {
  using S = std::vector<Slot>;
  S slots = {
      {"Program", "extendsClause", {G_Program::kExtends}, "Extends"},
      {"Program",
       "body",
       {G_Program::kBody},
       "{}(|(FuncDecl NativeDecl Comment Sentence))",
       NodeSequence::kItems},
      {"Program",
       "body[]",
       {G_Program::kBody, NodeSequence::kNode},
       "|(FuncDecl NativeDecl Comment Sentence)"},
      {"Extends", "parentPath", {G_Extends::kParent}, "ResourceVal"},
      {"ExprS", "expression", {G_ExprS::kExpression}, "Expr"},
      {"ExprS", "semicolon", {G_ExprS::kSemicolon}, "';"},
      {"Expr",
       "assignment",
       {G_Expr::kAssignment},
       "[](LVal |('= '+= '-=))",
       G_Expr::Assignment::kItems},
      {"Expr", "assignment.target", {G_Expr::kAssignment, G_Expr::Assignment::kTarget}, "LVal"},
      {"Expr",
       "assignment.op",
       {G_Expr::kAssignment, G_Expr::Assignment::kOperator},
       "|('= '+= '-=)"},
      {"Expr", "value", {G_Expr::kValue}, "RVal"},
      {"IsEx", "operand", {G_IsEx::kOperand}, "CompEx"},
      {"IsEx", "test", {G_IsEx::kTest}, "[]('is ResourceVal)", G_IsEx::TypeTest::kItems},
      {"IsEx", "test.classPath", {G_IsEx::kTest, G_IsEx::TypeTest::kClass}, "ResourceVal"},
      {"IncEx", "target", {G_IncEx::kTarget}, "LVal"},
      {"IncEx", "postfix", {G_IncEx::kPostfix}, "[](|('++ '--))", OptionalOperator::kItems},
      {"IncEx", "postfix.op", {G_IncEx::kPostfix, OptionalOperator::kOperator}, "|('++ '--)"},
      {"MDEx", "prefix", {G_MDEx::kPrefix}, "[](|('- '!))", OptionalOperator::kItems},
      {"MDEx", "prefix.op", {G_MDEx::kPrefix, OptionalOperator::kOperator}, "|('- '!)"},
      {"MDEx", "operand", {G_MDEx::kOperand}, "Una"},
      {"Par", "inner", {G_Par::kInner}, "Expr"},
      {"Const", "literal", {G_Const::kLiteral}, "|('null 'NUM 'STRING)"},
      {"NewObj", "classPath", {G_NewObj::kClass}, "ResourceVal"},
      {"NewObj", "arguments", {G_NewObj::kArguments}, "ArgList"},
      {"ResourceVal", "first", {G_ResourceVal::kFirst}, "'SYMBOL"},
      {"ResourceVal", "rest", {G_ResourceVal::kRest}, "{}('. 'SYMBOL)", ListTail::kItems},
      {"ResourceVal", "rest.element", {G_ResourceVal::kRest, ListTail::kElement}, "'SYMBOL"},
      {"LVal", "first", {G_LVal::kFirst}, "LValE"},
      {"LVal", "rest", {G_LVal::kRest}, "{}('. LValE)", ListTail::kItems},
      {"LVal", "rest.element", {G_LVal::kRest, ListTail::kElement}, "LValE"},
      {"LValE", "name", {G_LValE::kName}, "|('SYMBOL 'constructor)"},
      {"LValE", "call", {G_LValE::kCall}, "[]('( ArgList '))", G_LValE::Call::kItems},
      {"LValE", "call.arguments", {G_LValE::kCall, G_LValE::Call::kArguments}, "ArgList"},
      {"ArgList", "first", {G_ArgList::kFirst}, "Expr"},
      {"ArgList", "rest", {G_ArgList::kRest}, "{}(', Expr)", ListTail::kItems},
      {"ArgList", "rest.element", {G_ArgList::kRest, ListTail::kElement}, "Expr"},
      {"Block", "sentences", {G_Block::kSentences}, "{}(Sentence)", NodeSequence::kItems},
      {"Block", "sentences[]", {G_Block::kSentences, NodeSequence::kNode}, "Sentence"},
      {"While", "condition", {G_While::kCondition}, "Expr"},
      {"While", "body", {G_While::kBody}, "Sentence"},
      {"For", "init", {G_For::kInit}, "Expr"},
      {"For", "condition", {G_For::kCondition}, "Expr"},
      {"For", "step", {G_For::kStep}, "Expr"},
      {"For", "body", {G_For::kBody}, "Sentence"},
      {"Forin", "variable", {G_Forin::kVariable}, "LVal"},
      {"Forin", "collection", {G_Forin::kCollection}, "Expr"},
      {"Forin", "body", {G_Forin::kBody}, "Sentence"},
      {"If", "condition", {G_If::kCondition}, "Expr"},
      {"If", "thenBody", {G_If::kThen}, "Sentence"},
      {"If", "elseBranch", {G_If::kElse}, "[]('else Sentence)", G_If::ElseBranch::kItems},
      {"If", "elseBranch.body", {G_If::kElse, G_If::ElseBranch::kBody}, "Sentence"},
      {"Return", "value", {G_Return::kValue}, "[](Expr)", G_Return::Value::kItems},
      {"Return", "value.expression", {G_Return::kValue, G_Return::Value::kExpression}, "Expr"},
      {"VArgList", "first", {G_VArgList::kFirst}, "'SYMBOL"},
      {"VArgList", "rest", {G_VArgList::kRest}, "{}(', 'SYMBOL)", ListTail::kItems},
      {"VArgList", "rest.element", {G_VArgList::kRest, ListTail::kElement}, "'SYMBOL"},
      {"FuncDecl", "keyword", {G_FuncDecl::kKeyword}, "|('function 'constructor 'destructor)"},
      {"FuncDecl", "name", {G_FuncDecl::kName}, "'SYMBOL"},
      {"FuncDecl", "parameters", {G_FuncDecl::kParameters}, "VArgList"},
      {"FuncDecl", "body", {G_FuncDecl::kBody}, "VarBlock"},
      {"NativeDecl", "name", {G_NativeDecl::kName}, "'SYMBOL"},
      {"VarBlock",
       "declarations",
       {G_VarBlock::kDeclarations},
       "{}(VarDecl)",
       NodeSequence::kItems},
      {"VarBlock", "declarations[]", {G_VarBlock::kDeclarations, NodeSequence::kNode}, "VarDecl"},
      {"VarBlock", "sentences", {G_VarBlock::kSentences}, "{}(Sentence)", NodeSequence::kItems},
      {"VarBlock", "sentences[]", {G_VarBlock::kSentences, NodeSequence::kNode}, "Sentence"},
      {"VarDecl", "variables", {G_VarDecl::kVariables}, "VArgList"},
  };
  for (const S& chain :
       {chainSlots<G_RVal>("RVal", "OrEx", "'||"), chainSlots<G_OrEx>("OrEx", "AndEx", "'&&"),
        chainSlots<G_AndEx>("AndEx", "IsEx", "|('!= '== '>= '<= '> '<)"),
        chainSlots<G_CompEx>("CompEx", "ASEx", "|('+ '-)"),
        chainSlots<G_ASEx>("ASEx", "MDEx", "|('* '/ '%)")})
    slots.insert(slots.end(), chain.begin(), chain.end());
  return slots;
}

// Everything in `grammar` that disagrees with the node classes, one line each.
std::vector<std::string> layoutProblems(const DefinitionElement& grammar) {
  std::vector<std::string> problems;
  auto problem = [&](const std::string& text) { problems.push_back(text); };
  std::map<std::string, const NodeRule*> known;
  for (const NodeRule& node : kNodeRules) {
    known[node.rule] = &node;
    const DefinitionElement* rule = findRule(grammar, node.rule);
    if (!rule) {
      problem(std::string(node.rule) + ": no such rule");
      continue;
    }
    if (std::string(rule->prototype->className()) != "G_" + rule->name)
      problem(rule->name + ": builds " + rule->prototype->className());
    if (marker(*rule) != node.shape)
      problem(rule->name + ": a '" + marker(*rule) + "' rule, the class expects '" + node.shape +
              "'");
    if (*node.shape != '|' && int(rule->children.size()) != node.items)
      problem(rule->name + ": " + std::to_string(rule->children.size()) + " elements, kItems " +
              std::to_string(node.items));
  }
  for (const DefinitionElement& rule : grammar.children) {
    std::string made = rule.prototype->className();
    if (made != "G_Err" && made != "TResList" && !known.count(rule.name))
      problem(rule.name + ": a node class without a layout here");
  }
  for (const Slot& slot : allSlots()) {
    const DefinitionElement* at = findRule(grammar, slot.rule);
    std::string where = std::string(slot.rule) + "." + slot.name;
    for (int index : slot.path) {
      if (!at || index >= int(at->children.size())) {
        at = nullptr;
        break;
      }
      at = &at->children[index];
    }
    if (!at) {
      problem(where + ": no element there");
      continue;
    }
    if (render(*at) != slot.element)
      problem(where + ": finds " + render(*at) + ", expects " + slot.element);
    if (slot.groupItems >= 0 && int(at->children.size()) != slot.groupItems)
      problem(where + ": a group of " + std::to_string(at->children.size()) + ", read as " +
              std::to_string(slot.groupItems));
  }
  return problems;
}

const DefinitionElement& scriptGrammar() {
  scriptYup().build();
  return *scriptYup().grammarRoot();
}

TEST(SyntaxNodeLayout, EveryNamedItemHoldsTheElementItsNamePromises) {
  EXPECT_EQ(layoutProblems(scriptGrammar()), std::vector<std::string>{});
}

TEST(SyntaxNodeLayout, AGrammarEditThatShiftsChildrenIsCaught) {
  auto problemsAfter = [](const std::string& from, const std::string& to) {
    std::string text(scriptGrammarDefinition());
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    TYup yup;
    yup.setLexNode(splitDefinitionLines(scriptLexicalDefinition()));
    yup.setGramNode(splitDefinitionLines(text));
    yup.setOnCreateList(createScriptNode);
    yup.build();
    return layoutProblems(*yup.grammarRoot());
  };
  // While loses its parentheses: both of its named items now point elsewhere.
  std::vector<std::string> problems =
      problemsAfter(" While\n  'while\n  '(\n  Expr\n  ')\n", " While\n  'while\n  Expr\n");
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "While: 3 elements, kItems 5",
                          "While.condition: finds Sentence, expects Expr",
                          "While.body: no element there",
                      }));
  // A new element at the end of a rule shifts no index but changes the count.
  problems = problemsAfter(" Break\n  'break\n", " Break\n  'break\n  'NUM\n");
  EXPECT_EQ(problems, std::vector<std::string>{"Break: 3 elements, kItems 2"});
  // A repeated group that grows reads its repetitions at the wrong stride.
  problems = problemsAfter("  {}\n   ',\n   Expr\n", "  {}\n   ',\n   Expr\n   ',\n");
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems.front(), "ArgList.rest: finds {}(', Expr ',), expects {}(', Expr)");
}

// The rule comments above the node classes and above each Generate are checked
// against the grammar text, so they cannot go stale when a rule changes.
TEST(SyntaxNodeLayout, RuleCommentsMatchTheGrammar) {
  const DefinitionElement& grammar = scriptGrammar();
  const std::regex nodeLine(R"(^(class|int) G_(\w+)( : |::Generate\())");
  std::map<std::string, int> seen;  // "While class", "While Generate"
  for (const char* file :
       {"syntax_nodes.h", "generate_declarations.cpp", "generate_expressions.cpp",
        "generate_names.cpp", "generate_statements.cpp"}) {
    std::ifstream in(std::string(ZUNKA_SOURCE_DIR) + "/src/compiler/" + file);
    ASSERT_TRUE(in) << file;
    std::vector<std::string> comments;  // the comment lines just above this one
    int number = 0;
    for (std::string line; std::getline(in, line); ++number) {
      std::smatch match;
      if (std::regex_search(line, match, nodeLine)) {
        std::string name = match[2];
        ++seen[name + (match[1] == "class" ? " class" : " Generate")];
        if (const DefinitionElement* rule = findRule(grammar, name)) {
          std::string wanted = "// " + renderRule(*rule);
          EXPECT_NE(std::find(comments.begin(), comments.end(), wanted), comments.end())
              << file << ":" << number + 1 << " wants the comment " << wanted;
        }
      }
      if (line.rfind("//", 0) == 0)
        comments.push_back(line);
      else
        comments.clear();
    }
  }
  for (const NodeRule& rule : kNodeRules) {
    EXPECT_EQ(seen[std::string(rule.rule) + " class"], 1) << rule.rule;
    EXPECT_EQ(seen[std::string(rule.rule) + " Generate"], 1) << rule.rule;
  }
}

}  // namespace
}  // namespace zunka::test
