#include <gtest/gtest.h>

#include "compile_support.h"
#include "compiler/snippets.h"
#include "platform/files.h"
#include "resources/multi_statement_script.h"
#include "resources/rtti.h"

#include <memory>

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

TEST(Snippets, SnippetClassesAreNamedByTheirCounter) {
  CompileWorld::get();
  int n = evalCache().classesMade();
  std::unique_ptr<TRTTI> a(evalCache().MakeSnippetClass("extends Object; x = 1;", true));
  std::unique_ptr<TRTTI> b(evalCache().MakeSnippetClass("extends Object; x = 2;", true));
  EXPECT_EQ(a->name(), "eval" + std::to_string(n));
  EXPECT_EQ(b->name(), "eval" + std::to_string(n + 1));
  EXPECT_TRUE(a->src.empty());
}

TEST(Snippets, EachEvaluationCompilesAClassOfItsOwn) {
  CompileWorld::get();
  int before = evalCache().classesMade();
  EXPECT_EQ(Evaluate("extends Object; $_snip = 1;", true), 0);
  EXPECT_EQ(Evaluate("extends Object; $_snip += 1;", true), 0);
  EXPECT_EQ(evalCache().classesMade(), before + 2);
  EXPECT_EQ(toText(*valueAt(global("$_snip")->ValueCell())), "2");
}

TEST(Snippets, FailuresAreReportedOnlyWhenAsked) {
  VmWorld& w = VmWorld::get();
  CompileWorld::get();
  w.console.clear();
  EXPECT_EQ(Evaluate("extends Object; x = = 1;", false), 1);
  EXPECT_TRUE(w.console.errors.empty());
  EXPECT_EQ(Evaluate("extends Object; x = = 1;", true), 1);
  EXPECT_EQ(w.console.errors.size(), 1u);
  w.console.clear();
  EXPECT_EQ(Evaluate("extends Object; x = 1 / 0;", false), 2);  // run-time failure: state 2
}

TEST(Snippets, ClassesKeptForTheirObjectsAreListedWithTheirInstanceCounts) {
  CompileWorld::get();
  EXPECT_EQ(Evaluate("extends Object; $_gone = 1;", true), 0);
  EXPECT_EQ(Evaluate("extends Object; $_keptB = this;", true), 0);
  EXPECT_EQ(Evaluate("extends Object; $_keptA = this;", true), 0);
  // Only the snippets whose objects outlived them, in text order (other tests of
  // this program may have kept some of their own).
  auto kept = [] {
    std::vector<std::string> lines;
    for (const std::string& line : evalCache().Listing())
      if (line.find("_kept") != std::string::npos || line.find("_gone") != std::string::npos)
        lines.push_back(line);
    return lines;
  };
  EXPECT_EQ(kept(), (std::vector<std::string>{"1:extends Object; $_keptA = this;",
                                              "1:extends Object; $_keptB = this;"}));
  setNull(*valueAt(global("$_keptA")->ValueCell()));
  EXPECT_EQ(kept().front(), "0:extends Object; $_keptA = this;");
}

TEST(Snippets, LongRunningSnippetRunsToItsEnd) {
  CompileWorld::get();
  EXPECT_EQ(Evaluate("extends Object; $_loops = 0; while ($_loops < 100000) $_loops += 1;", true),
            0);
  EXPECT_EQ(toText(*valueAt(global("$_loops")->ValueCell())), "100000");
}

TEST(Snippets, MultiEvaluatorNumbersItsCheckPoints) {
  TMultiEvaluator m;
  m.Add("a = 1;");
  m.Add("b = 2;");
  EXPECT_EQ(m.Text(),
            "extends Object; $_exec_checkPoint=-1;\r\n"
            "a = 1;\r\n$_exec_checkPoint=1;\r\n"
            "b = 2;\r\n$_exec_checkPoint=2;\r\n");
  CompileWorld& world = CompileWorld::get();
  std::string path = world.dir.system() + "\\multi.zunka";
  ASSERT_TRUE(m.Save(path));
  std::string saved;
  ASSERT_TRUE(platform::readFile(path, saved));
  EXPECT_EQ(saved, m.Text());
  EXPECT_EQ(Evaluate(m.Text(), true), 0);
  EXPECT_EQ(toText(*valueAt(global("$_exec_checkPoint")->ValueCell())), "2");
}
