#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "compiler/script_grammar.h"
#include "compiler/syntax_nodes.h"
#include "compiler/tree_dump.h"
#include "script_test_support.h"

namespace zunka::test {
namespace {

// The compact picture of a program's first statement.
std::string statement(std::string_view source) {
  std::unique_ptr<TLexList> tokens = scriptYup().tokenize(source);
  ParseTree tree = scriptYup().parse(*tokens);
  if (!tree) return "(no parse)";
  return compactDump(*static_cast<TResList*>(tree.root())->item(1)->node(0), *tokens);
}

TEST(ScriptGrammar, AcceptsAWholeClass) {
  EXPECT_TRUE(parses(R"(
    extends classes.lang.Object;
    native _n_draw;
    // main code runs outside any function
    $count = 0;
    function onDraw(x, y) {
      var i, sum;
      var k;
      sum = 0;
      for (i = 0; i < 10; i += 1) { sum += this.items.get(i).value * 2; }
      for (k in items) if (k is classes.game.Char) k.die(); else break;
      while (sum > 0 && !done || x == null) sum -= 1;
      return new classes.lang.Array(1, "two", 3.5);
    }
    constructor create() { super.constructor(); return; }
    destructor fin() { }
  )"));
  EXPECT_TRUE(parses(""));
  EXPECT_TRUE(parses("/* only */ // comments"));
}

TEST(ScriptGrammar, RejectsWhatTheLanguageLacks) {
  const char* rejected[] = {
      "a = b = c;",  // one assignment, at the top only
      "a *= 2;",     // the token exists but no rule uses it
      "a = b | c;",       "a = b & c;", "fork;",
      "for (;;) x;",            // all three parts are required
      "do x; while (a);", ";",  // no do statement, no empty statement
      "x = new A;",             // new needs its argument list
      "(a) = 1;",         "a.1 = 2;",   "x = a is 1;", "x = a++ ++;",
  };
  for (const char* source : rejected) EXPECT_FALSE(parses(source)) << source;
  // Calls are lvalue elements; refusing them as targets is left to code generation.
  EXPECT_TRUE(parses("f() ++; f().x = 1;"));
  EXPECT_TRUE(parses("continue;"));                      // just a name as an expression statement
  EXPECT_FALSE(parses("constructor constructor() {}"));  // the keyword is no name
  EXPECT_TRUE(parses("a += b; a -= c; constructor(1); x = a is b.C;"));
}

TEST(ScriptGrammar, AllowsOnePrefixOperatorOnly) {
  EXPECT_TRUE(parses("x = -y;"));
  EXPECT_TRUE(parses("x = !f(1);"));
  EXPECT_FALSE(parses("x = - -y;"));
  EXPECT_FALSE(parses("x = !!y;"));
  EXPECT_EQ(statement("x = -y * 2;"), "ExprS(Expr([x =] ASEx(MDEx([-] y) [* 2])) ;)");
}

TEST(ScriptGrammar, BinaryOperatorsChainFlatForLeftToRightCode) {
  EXPECT_EQ(statement("a < b < c;"), "ExprS(AndEx(a [< b < c]) ;)");
  EXPECT_EQ(statement("a - b + c * d;"), "ExprS(CompEx(a [- b + ASEx(c [* d])]) ;)");
  EXPECT_EQ(statement("a || b && c;"), "ExprS(RVal(a [|| OrEx(b [&& c])]) ;)");
  EXPECT_EQ(statement("a + b is C.D == e;"),
            "ExprS(AndEx(IsEx(CompEx(a [+ b]) [is ResourceVal(C [. D])]) [== e]) ;)");
}

TEST(ScriptGrammar, ElseBindsToTheNearestIf) {
  EXPECT_EQ(statement("if (a) if (b) x(); else y();"),
            "If(if ( a ) If(if ( b ) ExprS(LValE(x [( ArgList() )]) ;) [else "
            "ExprS(LValE(y [( ArgList() )]) ;)]))");
}

TEST(ScriptGrammar, LocalVariablesOnlyOpenAFunctionBody) {
  EXPECT_FALSE(parses("var x;"));
  EXPECT_FALSE(parses("function f() { x = 1; var y; }"));
  EXPECT_TRUE(parses("function f() { var x; var y, z; x = 1; }"));
}

TEST(ScriptGrammar, ForInIsTriedAfterTheThreePartForm) {
  EXPECT_EQ(statement("for (i in list) s();"),
            "Forin(for ( i in list ) ExprS(LValE(s [( ArgList() )]) ;))");
  EXPECT_EQ(statement("for (a.b in f()) x;"),
            "Forin(for ( LVal(a [. b]) in LValE(f [( ArgList() )]) ) ExprS(x ;))");
  EXPECT_EQ(statement("for (i; j; k) x;"), "For(for ( i ; j ; k ) ExprS(x ;))");
}

TEST(ScriptGrammar, UnconsumedTokensFailTheParse) {
  EXPECT_FALSE(parses("a; )"));
  EXPECT_FALSE(parses("a; b"));
  EXPECT_FALSE(parses("}"));
}

TEST(ScriptGrammar, ReportsTheLastAcceptedTokenNotTheFurthest) {
  // "x" is the furthest token reached (inside the three-part for's body), but
  // the for-in attempt that follows accepts "a" last.
  ParseOutcome outcome = parseScript("for (a; b; c) x y;");
  EXPECT_FALSE(outcome.parsed);
  EXPECT_EQ(outcome.lastAcceptedPos, 5);
  EXPECT_EQ(parseScript("a;\n)").lastAcceptedPos, 1);
  EXPECT_EQ(parseScript("b = c = 2;").lastAcceptedPos, 4);
  EXPECT_EQ(parseScript("else").lastAcceptedPos, -1);
}

TEST(ScriptGrammarTree, ExprHoldsTheOptionalAssignmentGroupAndTheRightSide) {
  EXPECT_EQ(parseScript("a = 1;").tree,
            "G_Program(G_Extends() G_Err(G_ExprS(G_Expr("
            "G_Err(G_LVal(G_LValE(a G_Err()) G_Err()) =) "
            "G_RVal(G_OrEx(G_AndEx(G_IsEx(G_CompEx(G_ASEx(G_MDEx(G_Err() G_Const(1)) G_Err()) "
            "G_Err()) G_Err()) G_Err()) G_Err()) G_Err())) ;)))");
  EXPECT_EQ(statement("b;"), "ExprS(b ;)");
  EXPECT_EQ(statement("a += (b);"), "ExprS(Expr([a +=] Par(( b ))) ;)");
}

TEST(ScriptGrammarTree, ForHasNineItems) {
  std::unique_ptr<TLexList> tokens = scriptYup().tokenize("for (i = 0; i < n; i += 1) f(i);");
  ParseTree tree = scriptYup().parse(*tokens);
  ASSERT_TRUE(tree);
  auto* program = dynamic_cast<G_Program*>(tree.root());
  ASSERT_NE(program, nullptr);
  TResList* loop = program->item(1)->item(0);
  ASSERT_NE(dynamic_cast<G_For*>(loop), nullptr);
  ASSERT_EQ(loop->count(), 9);
  for (int i : {2, 4, 6}) EXPECT_NE(dynamic_cast<G_Expr*>(loop->item(i)), nullptr) << i;
  for (int i : {0, 1, 3, 5, 7}) EXPECT_TRUE(loop->isToken(i)) << i;
  EXPECT_NE(dynamic_cast<G_ExprS*>(loop->item(8)), nullptr);
  EXPECT_EQ(compactDump(*loop, *tokens),
            "For(for ( Expr([i =] 0) ; AndEx(i [< n]) ; Expr([i +=] 1) ) "
            "ExprS(LValE(f [( i )]) ;))");
}

TEST(ScriptGrammarTree, IfAlwaysHasItsElseGroup) {
  std::unique_ptr<TLexList> tokens = scriptYup().tokenize("if (a) {} if (b) x; else {y;}");
  ParseTree tree = scriptYup().parse(*tokens);
  ASSERT_TRUE(tree);
  auto* statements = static_cast<TResList*>(tree.root())->item(1);
  TResList* withoutElse = statements->item(0);
  TResList* withElse = statements->item(1);
  ASSERT_EQ(withoutElse->count(), 6);
  EXPECT_STREQ(withoutElse->item(5)->className(), "G_Err");
  EXPECT_EQ(withoutElse->item(5)->count(), 0);
  EXPECT_STREQ(withoutElse->item(4)->className(), "G_Block");
  ASSERT_EQ(withElse->count(), 6);
  EXPECT_EQ(compactDump(*withElse->item(5), *tokens), "[else Block({ [ExprS(y ;)] })]");
}

TEST(ScriptGrammarTree, LValChainsHoldCallsPerElement) {
  EXPECT_EQ(statement("a.b(1, c).d = e();"),
            "ExprS(Expr([LVal(a [. LValE(b [( ArgList(1 [, c]) )]) . d]) =] "
            "LValE(e [( ArgList() )])) ;)");
  EXPECT_EQ(statement("super.constructor(x).y ++;"),
            "ExprS(IncEx(LVal(super [. LValE(constructor [( x )]) . y]) [++]) ;)");
  EXPECT_EQ(statement("x = new a.B();"),
            "ExprS(Expr([x =] NewObj(new ResourceVal(a [. B]) ( "
            "ArgList() ))) ;)");
}

TEST(ScriptGrammarTree, AlternativesMakeNoNodesAndCommentsGetThePlainClass) {
  std::unique_ptr<TLexList> tokens = scriptYup().tokenize("// note\nif (a) x; else { -y; }");
  ParseTree tree = scriptYup().parse(*tokens);  // comments kept this time
  ASSERT_TRUE(tree);
  std::string dump = dumpTree(*tree.root(), *tokens);
  EXPECT_EQ(dump.find("G_Sentence"), std::string::npos);
  EXPECT_EQ(dump.find("G_Una"), std::string::npos);
  EXPECT_EQ(dump.rfind("G_Program(G_Extends() G_Err(TResList(// note) G_If(", 0), 0u) << dump;
}

TEST(ScriptGrammarTree, ProgramStartsWithItsExtendsNode) {
  EXPECT_EQ(parseScript("extends a.b; native f;").compact,
            "Program(Extends(extends ResourceVal(a [. b]) ;) [NativeDecl(native f ;)])");
  EXPECT_EQ(statement("function f(a, b) { var c; }"),
            "FuncDecl(function f ( VArgList(a [, b]) ) VarBlock({ [VarDecl(var c ;)] }))");
}

}  // namespace
}  // namespace zunka::test
