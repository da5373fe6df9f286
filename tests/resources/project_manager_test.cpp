#include "resources/kernel_world.h"

#include "platform/files.h"
#include "resources/custom_resource.h"
#include "resources/environment_store.h"
#include "resources/param.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/recent_pages.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/host_state.h"
#include "vm/process.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

std::string page(std::string_view body = "") {
  return "<resourcelist name=\"page\">\r\n" + std::string(body) + "</resourcelist>\r\n";
}

std::string project(std::string_view body) {
  return "<resourcelist name=\"project\">\r\n" + std::string(body) + "</resourcelist>\r\n";
}

// Natives are called from methods of their own class (or a subclass), never by
// name from outside: the test reaches them through subclasses.
constexpr const char* kProbes =
    "<resourcelist name=\"classes\">\r\n"
    " <class name=\"Pm\" src=\"Pm.zunka\"/>\r\n"
    " <class name=\"Opener\" src=\"Opener.zunka\"/>\r\n"
    "</resourcelist>\r\n";
constexpr const char* kPm =
    "extends ProjectManager;\r\n"
    "function set(n, v) { _n_onSet(n, v); }\r\n"
    "function setHalf(n) { _n_onSet(n); }\r\n"
    "function get(n) { return _n_onGet(n); }\r\n"
    "function pageName() { return _n_currentPageName(); }\r\n";
constexpr const char* kOpener =
    "extends Page;\r\n"
    "function open(f) { _n_open(f); }\r\n";

constexpr const char* kBall =
    "extends classes.lang.Object;\r\n"
    "function setGenerator(g) { _generator = g; }\r\n"
    "function onGenerate() { print(\"generated x=\" + x); }\r\n";

TResource* find(std::string_view path) {
  return resourceTree().root->Find(path);
}

std::vector<std::string> childNames(TResourceList* list) {
  std::vector<std::string> names;
  for (int i = 0; list && i < list->count(); ++i) names.push_back(list->childAt(i)->name());
  return names;
}

using ProjectTest = KernelWorldTest;

}  // namespace

TEST_F(ProjectTest, APageWithoutAProjectGetsANewProjectListingEveryPageOfItsDirectory) {
  std::string stage1 = write("game\\stage1.cmml", page());
  std::string stage2 = write("game\\Stage2.CMML", page());
  write("game\\readme.txt", "not a page");
  EXPECT_TRUE(projects().LoadPage("game\\stage1.cmml"));

  EXPECT_EQ(read("game\\default.zunkaprj"),
            "<resourcelist name=\"project\">\r\n <resourcelist name=\"pages\">\r\n"
            " </resourcelist>\r\n</resourcelist>\r\n");
  EXPECT_TRUE(SamePath(projects().projectFile(), path("game\\default.zunkaprj")));
  TResourceList* pages = projects().PageList();
  ASSERT_EQ(childNames(pages), (std::vector<std::string>{"$page_Stage2", "$page_stage1"}));
  for (int i = 0; i < 2; ++i) {
    auto* entry = dynamic_cast<TCustomResource*>(pages->childAt(i));
    ASSERT_TRUE(entry);
    ASSERT_TRUE(entry->instance());
    EXPECT_EQ(vm::classOf(entry->instance())->name(), "page");
  }
  EXPECT_EQ(pages->childAt(0)->src, stage2);
  EXPECT_EQ(projects().currentPageName(), "$page_stage1");

  // The page is linked under usr, made the working directory, and remembered.
  EXPECT_EQ(find("usr")->src, stage1);
  EXPECT_TRUE(find("usr.global.$screenWidth") && find("usr.global.$screenHeight"));
  EXPECT_EQ(resourceTree().workDir, path("game"));
  EXPECT_EQ(environmentStore().GetEnv("AutoLoadPage"), stage1);
  EXPECT_FALSE(projectState().noPageRunning);
  EXPECT_EQ(countContaining(console.logLines, "Loading Page " + stage1), 1);
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();

  // A new project gets its defaults.
  EXPECT_EQ(projects().GetParam("savedVersion"), "1210");
  EXPECT_EQ(projects().GetParam("sound_stopOnPageLoad"), "1");
  std::string comment = projects().GetParam("commentID");
  EXPECT_FALSE(comment.empty());
  EXPECT_EQ(comment.find_first_not_of("0123456789"), std::string::npos);
}

TEST_F(ProjectTest, ParametersAreTextAndSomeSetTheScreensBehaviourFlags) {
  write("game\\default.zunkaprj",
        project(" <resourcelist name=\"pages\"/>\r\n <resourcelist name=\"params\">\r\n"
                "  <param name=\"deactivation_pause\" value=\"1\"/>\r\n"
                "  <param name=\"commentID\" value=\"77\"/>\r\n </resourcelist>\r\n"));
  write("game\\Pm.zunka", kPm);
  write("game\\Opener.zunka", kOpener);
  write("game\\a.cmml", page(kProbes));
  projects().LoadPage("game\\a.cmml");
  EXPECT_TRUE(projectState().pauseWhenInactive);
  EXPECT_EQ(projects().GetParam("commentID"), "77");  // kept when set
  EXPECT_EQ(projects().GetParam("nothing"), "");

  projects().SetParam("Level", "3");
  EXPECT_EQ(projects().GetParam("level"), "3");
  // A name holding a dot is one parameter, set once and read back (no entry added
  // again on every set).
  projects().SetParam("level.best", "42");
  projects().SetParam("level.best", "43");
  EXPECT_EQ(projects().GetParam("LEVEL.best"), "43");
  auto* params = dynamic_cast<TResourceList*>(find("project.params"));
  ASSERT_NE(params, nullptr);
  int named = 0;
  for (int i = 0; i < params->count(); ++i) named += params->childAt(i)->name() == "level.best";
  EXPECT_EQ(named, 1);
  EXPECT_TRUE(dynamic_cast<TfParam*>(find("project.params.Level")));
  projects().SetParam("DISABLE_PAUSE", "1");
  EXPECT_TRUE(projectState().pauseDisabled);
  projects().SetParam("disable_pause", "1 ");  // exactly "1" only
  EXPECT_FALSE(projectState().pauseDisabled);
  projects().SetParam("Deactivation_DisableKey", "1");
  EXPECT_TRUE(projectState().disableKeysWhenInactive);

  // The same through the ProjectManager natives.
  EXPECT_EQ(run("m = new Pm();\r\n m.set(\"score\", 10);\r\n"
                "print(m.get(\"score\"));\r\n print(m.pageName());\r\n"
                "m.setHalf(\"half\");\r\n print(m.get(\"half\") == \"\");\r\n"),
            0);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"10", "$page_a", "1"}));
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(ProjectTest, BehaviourFlagsOfOneProjectDoNotCarryOverToTheNext) {
  std::string first = write(
      "one\\default.zunkaprj",
      project("<resourcelist name=\"params\"><param name=\"deactivation_disablekey\" value=\"0\"/>"
              "<param name=\"deactivation_pause\" value=\"1\"/>"
              "<param name=\"disable_pause\" value=\"1\"/></resourcelist>"));
  std::string second = write("two\\default.zunkaprj", project(""));
  projects().LoadProject(first);
  EXPECT_FALSE(projectState().disableKeysWhenInactive);
  EXPECT_TRUE(projectState().pauseWhenInactive);
  EXPECT_TRUE(projectState().pauseDisabled);
  projects().LoadProject(second);
  EXPECT_TRUE(projectState().disableKeysWhenInactive);  // keys read as up while inactive
  EXPECT_FALSE(projectState().pauseWhenInactive);
  EXPECT_FALSE(projectState().pauseDisabled);
}

TEST_F(ProjectTest, SavedVersionIsTakenOverUnlessALaterVersionWroteIt) {
  const std::string warning =
      "このプロジェクトは正常に動作しない可能性があります。Zunkaの最新版をダウンロードしてください"
      "。";
  struct Case {
    const char* params;
    const char* after;
    bool warned;
  } cases[] = {
      {"", "1210", false},
      {"<param name=\"savedVersion\" value=\"\"/>", "1210", false},
      {"<param name=\"savedVersion\" value=\"1210\"/>", "1210", false},
      {"<param name=\"savedVersion\" value=\"1100\"/>", "1210", false},
      {"<param name=\"savedVersion\" value=\"junk\"/>", "1210", false},
      {"<param name=\"savedVersion\" value=\"1211\"/>", "1211", true},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string dir = "v" + std::to_string(n++);
    std::string file = write(
        dir + "\\default.zunkaprj",
        project(std::string("<resourcelist name=\"params\">") + c.params + "</resourcelist>"));
    console.clear();
    projects().LoadProject(file);
    EXPECT_EQ(projects().GetParam("savedVersion"), c.after) << c.params;
    EXPECT_EQ(countContaining(console.errors, warning), c.warned ? 1 : 0) << c.params;
  }
}

TEST_F(ProjectTest, RecentPagesKeepOnePagePerDirectoryNewestFirstButNotTheBundledProject) {
  write("Usr\\title.cmml", page());
  std::string a = write("one\\a.cmml", page());
  std::string b = write("one\\b.cmml", page());
  std::string c = write("two\\c.cmml", page());
  projects().LoadPage(path("Usr\\title.cmml"));
  EXPECT_TRUE(projects().recentPages().entries().empty());
  projects().LoadPage(a);
  projects().LoadPage(c);
  EXPECT_EQ(projects().recentPages().entries(), (std::vector<std::string>{c, a}));
  projects().LoadPage(b);
  EXPECT_EQ(projects().recentPages().entries(), (std::vector<std::string>{b, c}));

  // Saved lists are read relative to baseDir; pages that are gone are dropped.
  environmentStore().SetEnv("RecentPage0", "one\\a.cmml");
  environmentStore().SetEnv("RecentPage1", "gone\\x.cmml");
  environmentStore().SetEnv("RecentPage9", c);
  projects().LoadRecentPages();
  EXPECT_EQ(projects().recentPages().entries(), (std::vector<std::string>{a, c}));
}

TEST(RecentPages, HoldNineEntriesAtMost) {
  TRecentPages recent;
  for (int i = 0; i < 12; ++i)
    recent.Remember("\\g" + std::to_string(i) + "\\p.cmml", "\\base\\Usr");
  ASSERT_EQ(recent.entries().size(), 9u);
  EXPECT_EQ(recent.entries().front(), "\\g11\\p.cmml");
  EXPECT_EQ(recent.entries().back(), "\\g3\\p.cmml");
  recent.Remember("\\BASE\\usr\\x.cmml", "\\base\\Usr");  // the bundled project, any case
  EXPECT_EQ(recent.entries().front(), "\\g11\\p.cmml");
}

TEST_F(ProjectTest, AMissingPageIsReportedAndLeavesTheTreeAlone) {
  write("game\\a.cmml", page());
  projects().LoadPage("game\\a.cmml");
  projectState().noPageRunning = false;
  EXPECT_FALSE(projects().LoadPage("nowhere.cmml"));
  EXPECT_EQ(console.errors,
            (std::vector<std::string>{path("game\\nowhere.cmml") + "はありません"}));
  EXPECT_TRUE(projectState().noPageRunning);
  EXPECT_EQ(find("usr")->src, path("game\\a.cmml"));
}

TEST_F(ProjectTest, PlayingAPageRunsBootExecuteAndAScriptRequestSwitchesPagesBetweenFrames) {
  write("game\\Ball.zunka", kBall);
  write("game\\Opener.zunka", kOpener);
  write("game\\first.cmml",
        page(" <resourcelist name=\"classes\"><class name=\"Ball\" src=\"Ball.zunka\"/>"
             "<class name=\"Opener\" src=\"Opener.zunka\"/>"
             "</resourcelist>\r\n <resourcelist name=\"gen\">\r\n"
             "  <generator name=\"$ball\" className=\"Ball\" inst_x=\"10\"/>\r\n"
             " </resourcelist>\r\n"));
  write("game\\second.cmml", page());
  projects().LoadPageAndRun("game\\first.cmml");
  vm::TProcess* first = hostState().root();
  ASSERT_TRUE(first);
  uint32_t firstHandle = first->handle();
  EXPECT_FALSE(projectState().designMode);
  EXPECT_TRUE(find("project.classes.Ball"));  // the page's classes join the project
  EXPECT_EQ(countContaining(console.logLines, "---LoadPage--"), 1);
  frames(2);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"execute", "generated x=10", "appear"}));
  EXPECT_EQ(global("$ball").rfind("Ball@", 0), 0u);

  EXPECT_EQ(run("p = new Opener();\r\n p.open(\"second.cmml\");\r\n"), 0);
  EXPECT_TRUE(projects().HasRequest());
  EXPECT_EQ(projects().currentPageName(), "$page_first");  // nothing happens before the frame ends
  frames(1);
  EXPECT_FALSE(projects().HasRequest());
  EXPECT_EQ(vm::hostAs<vm::TProcess>(firstHandle), nullptr);
  ASSERT_TRUE(hostState().root());
  EXPECT_EQ(projects().currentPageName(), "$page_second");
  EXPECT_EQ(find("usr")->src, path("game\\second.cmml"));
  EXPECT_EQ(countContaining(console.logLines, "TGenerator.Destroy :$ball matched."), 1);
  frames(1);
  EXPECT_EQ(console.printed.back(), "execute");
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(ProjectTest, DesignRequestsStartBootDesign) {
  write("game\\Opener.zunka", kOpener);
  write("game\\a.cmml", page("<resourcelist name=\"classes\"><class name=\"Opener\" "
                             "src=\"Opener.zunka\"/></resourcelist>"));
  projects().LoadPageAndRun("game\\a.cmml");
  frames(1);
  projects().RequestPage("a.cmml", true);
  projects().ProcessRequest();
  ASSERT_TRUE(hostState().root());
  EXPECT_TRUE(projectState().designMode);
  frames(1);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"execute", "design"}));
  // In design mode a page opened by script opens for design too.
  EXPECT_EQ(run("p = new Opener();\r\n p.open(\"a.cmml\");\r\n"), 0);
  frames(1);
  frames(1);
  EXPECT_TRUE(projectState().designMode);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"execute", "design", "design"}));
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(ProjectTest, ACompileErrorIsShownAndThePageStaysStopped) {
  write("game\\Bad.zunka", "extends classes.lang.Object;\r\nfunction ( {\r\n");
  write("game\\a.cmml",
        page("<resourcelist name=\"classes\"><class name=\"Bad\" src=\"Bad.zunka\"/>"
             "</resourcelist>"));
  projectState().noPageRunning = true;  // as start-up leaves it
  projects().LoadPageAndRun("game\\a.cmml");
  EXPECT_FALSE(hostState().root());
  EXPECT_FALSE(projects().classesReady());
  EXPECT_TRUE(projectState().noPageRunning);
  EXPECT_EQ(countContaining(console.errors, "初期化に失敗しました"), 1);
  EXPECT_TRUE(projectState().designMode);
}

TEST_F(ProjectTest, APageOfAnotherDirectoryReplacesTheProjectAndItsObjects) {
  write("one\\Ball.zunka", kBall);
  write("one\\a.cmml",
        page("<resourcelist name=\"classes\"><class name=\"Ball\" src=\"Ball.zunka\"/>"
             "</resourcelist><resourcelist name=\"gen\"><generator name=\"$ball\" "
             "className=\"Ball\"/></resourcelist>"));
  write("two\\b.cmml", page());
  projects().LoadPageAndRun("one\\a.cmml");
  frames(1);
  auto* ball = dynamic_cast<TRTTI*>(find("project.classes.Ball"));
  ASSERT_TRUE(ball);
  EXPECT_EQ(ball->LiveCount(), 1);
  projects().LoadPageAndRun(path("two\\b.cmml"));
  EXPECT_FALSE(find("project.classes.Ball"));
  EXPECT_FALSE(find("Ball"));  // its alias went with it
  EXPECT_EQ(childNames(projects().PageList()), (std::vector<std::string>{"$page_b"}));
  EXPECT_TRUE(hostState().root());
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(ProjectTest, AProjectWithoutAPageListKeepsItsParametersWhenPagesAreScanned) {
  write("game\\default.zunkaprj",
        project("<resourcelist name=\"params\"><param name=\"k\" value=\"v\"/></resourcelist>"));
  std::string a = write("game\\a.cmml", page());
  projects().LoadPage(a);
  EXPECT_EQ(countContaining(console.logLines, "!?---"), 1);
  projects().ScanPages(a);
  EXPECT_EQ(projects().GetParam("k"), "v");
  EXPECT_EQ(childNames(projects().PageList()),
            (std::vector<std::string>{"params", "classes", "$page_a"}));
}
