#include "resources/kernel_world.h"

#include "platform/files.h"
#include "resources/generator.h"
#include "resources/page_build.h"
#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "shell/host_state.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

constexpr const char* kBall =
    "extends classes.lang.Object;\r\n"
    "function setGenerator(g) { _generator = g; }\r\n"
    "function onGenerate() { print(\"ball x=\" + x); }\r\n"
    "function onSaveToGen() {\r\n"
    "  _n_setGenAttr(_generator, \"x\", x);\r\n"
    "  _n_setGenAttr(_generator, \"label\", \"hi\");\r\n"
    "}\r\n";
constexpr const char* kWall =
    "extends classes.lang.Object;\r\n"
    "function setGenerator(g) { _generator = g; }\r\n"
    "function onGenerate() { print(\"wall\"); }\r\n"
    "function onSaveToGen() {}\r\n";
constexpr const char* kPair =
    "extends classes.lang.Object;\r\n"
    "constructor Pair(a, b) { first = a; second = b; }\r\n"
    "function setGenerator(g) { _generator = g; }\r\n"
    "function onGenerate() { print(\"pair \" + first + \" \" + second + \" \" + x); }\r\n";

constexpr const char* kClasses =
    " <resourcelist name=\"classes\">\r\n"
    "  <class name=\"Ball\" src=\"Ball.zunka\"/>\r\n"
    "  <class name=\"Wall\" src=\"Wall.zunka\"/>\r\n"
    "  <class name=\"Pair\" src=\"Pair.zunka\"/>\r\n"
    " </resourcelist>\r\n";
constexpr const char* kBroken =
    " <resourcelist name=\"broken\"><generator name=\"$lost\" className=\"Nothing\"/>"
    "</resourcelist>\r\n";

// Objects on the screen (gen), one elsewhere, a global, and a generator whose
// class does not exist.
const std::string kStage =
    std::string("<resourcelist name=\"stage\">\r\n") + kClasses +
    " <resourcelist name=\"global\"><globalvalue name=\"$score\" value=\"7\"/></resourcelist>\r\n"
    " <resourcelist name=\"gen\">\r\n"
    "  <generator name=\"$ball\" className=\"Ball\" inst_x=\"10\"/>\r\n"
    "  <generator name=\"$wall\" className=\"Wall\" inst_x=\"5\"/>\r\n"
    " </resourcelist>\r\n"
    " <resourcelist name=\"extra\"><generator name=\"$spare\" "
    "className=\"Ball\"/></resourcelist>\r\n" +
    kBroken + "</resourcelist>\r\n";

// Generators set up by initialisation passes instead of a placement script.
const std::string kInit =
    std::string("<resourcelist name=\"init\">\r\n") + kClasses +
    " <resourcelist name=\"init\">\r\n"
    "  <generator name=\"$pair\" className=\"Pair\" const_b=\"%22two%22\" const_a=\"1\" "
    "inst_x=\"3\"/>\r\n"
    " </resourcelist>\r\n"
    " <resourcelist name=\"extra\"><generator name=\"$spare\" "
    "className=\"Wall\"/></resourcelist>\r\n" +
    kBroken + "</resourcelist>\r\n";

class PageBuildTest : public KernelWorldTest {
 protected:
  void SetUp() override {
    KernelWorldTest::SetUp();
    write("game\\Ball.zunka", kBall);
    write("game\\Wall.zunka", kWall);
    write("game\\Pair.zunka", kPair);
    stage = write("game\\stage.cmml", kStage);
    init = write("game\\init.cmml", kInit);
  }
  TResource* find(std::string_view path) { return resourceTree().root->Find(path); }
  int rebuilds() { return countContaining(console.logLines, "ページ再構築中"); }
  std::string stage, init;
};

}  // namespace

TEST_F(PageBuildTest, ThePlacementScriptIsWrittenOnceAndTellsWhetherThePageChanged) {
  projects().LoadPageAndRun(stage);
  frames(1);
  std::string cache = path("Temp\\i121_gamestagecmml.zunka");
  EXPECT_EQ(GenerationCacheFile(), cache);
  ASSERT_TRUE(platform::fileExists(cache));
  std::string script = read("Temp\\i121_gamestagecmml.zunka");
  EXPECT_TRUE(script.starts_with("extends Object; $_exec_checkPoint=-1;\r\n$_hashCode="));
  EXPECT_NE(script.find("$wall=new Wall();\r\n"), std::string::npos);
  EXPECT_EQ(script.find("$wall.x="), std::string::npos);  // Wall has no member x
  EXPECT_EQ(script.find("appear($spare)"), std::string::npos);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"execute", "ball x=10", "appear", "wall",
                                                       "appear", "ball x="}));
  EXPECT_EQ(global("$_hashCode"), "0");
  EXPECT_EQ(global("$score"), "7");
  EXPECT_EQ(global("$_exec_checkPoint"), "17");  // the whole script ran
  EXPECT_EQ(rebuilds(), 1);

  // The cache is used: no walk, and the class file made from the script is taken
  // as it is (a compilation would write it again).
  std::string classFile = read("Temp\\c121_Tempi121_gamestagecmmlzunka");
  ASSERT_FALSE(classFile.empty());
  BuildPage();
  EXPECT_EQ(rebuilds(), 1);
  EXPECT_TRUE(read("Temp\\c121_Tempi121_gamestagecmmlzunka") == classFile) << "compiled again";
  EXPECT_EQ(global("$_hashCode"), "0");

  // As cached, a changed page still runs the old script; $_hashCode tells.
  rebuildStalePages() = false;
  platform::writeFile(stage, kStage + "\r\n");
  BuildPage();
  EXPECT_EQ(rebuilds(), 1);
  EXPECT_NE(global("$_hashCode"), "0");

  // The player rebuilds a script made for another version of the page.
  rebuildStalePages() = true;
  BuildPage();
  EXPECT_EQ(rebuilds(), 2);
  EXPECT_EQ(global("$_hashCode"), "0");
  BuildPage();
  EXPECT_EQ(rebuilds(), 2);

  alwaysRebuildPages() = true;
  BuildPage();
  EXPECT_EQ(rebuilds(), 3);
  EXPECT_EQ(global("$_hashCode"), "0");
  EXPECT_EQ(countContaining(console.errors,
                            "$lostのクラスNothingはありません。オブジェクトの作成を中止します"),
            3);
}

TEST_F(PageBuildTest, SavingLetsObjectsUpdateTheirGeneratorsAndTheValuesReadBack) {
  projects().LoadPageAndRun(stage);
  frames(1);
  EXPECT_EQ(run("$ball.x = 42;\r\n"), 0);
  SaveResource("usr");
  std::string saved = read("game\\stage.cmml");
  EXPECT_NE(saved.find("<generator className=\"Ball\" name=\"$ball\" inst_x=\"42\" "
                       "inst_label=\"%22hi%22\"/>"),
            std::string::npos)
      << saved;
  projects().LoadPage(stage);
  auto* ball = dynamic_cast<TGenerator*>(find("usr.gen.$ball"));
  ASSERT_TRUE(ball);
  EXPECT_EQ(ball->instAttrs, (std::vector<std::string>{"x=42", "label=\"hi\""}));
}

TEST_F(PageBuildTest, InitialisationCreatesOnOnePassAndSetsUpOnTheNext) {
  projects().LoadPage(init);
  auto* pair = dynamic_cast<TGenerator*>(find("usr.init.$pair"));
  ASSERT_TRUE(pair);
  find("usr.init")->Initialize();
  EXPECT_EQ(pair->state, TGenerator::kCreate);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"pair 1 two 3"}));
  EXPECT_EQ(run("print($pair._generator);\r\n"), 0);
  EXPECT_EQ(console.printed.back(), "TGenerator");

  // Another initialisation pass over a generator whose class is missing fails.
  auto* lost = dynamic_cast<TGenerator*>(find("usr.broken.$lost"));
  EXPECT_THROW(find("usr.broken")->Initialize(), EError);
  EXPECT_EQ(lost->state, TGenerator::kClassMissing);
  EXPECT_EQ(
      countContaining(console.errors, "クラスNothingはありません。オブジェクトの作成を中止します"),
      1);

  // Taking the page away unlinks the objects from their generators.
  console.clear();
  EXPECT_EQ(run("$spare = new Wall();\r\n$spare._generator = 5;\r\n"), 0);
  projects().LoadPage(init);
  EXPECT_EQ(countContaining(console.logLines, "TGenerator.Destroy :$pair matched."), 1);
  EXPECT_EQ(countContaining(console.logLines, "TGenerator.Destroy : $spare UNmatched."), 1);
  EXPECT_EQ(run("print($pair._generator);\r\n"), 0);
  EXPECT_EQ(console.printed.back(), "null");
}
