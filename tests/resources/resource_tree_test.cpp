#include "tree_fixture.h"

#include <algorithm>

#include "debug/time_analyzer.h"
#include "resources/custom_resource.h"
#include "resources/generator.h"
#include "resources/param.h"
#include "resources/paths.h"
#include "resources/resource_editing.h"
#include "resources/tag_resource.h"
#include "resources/text_file.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

std::vector<std::string> paths(const TResource& r) {
  std::vector<std::string> lines;
  r.ListPaths(lines, "");
  return lines;
}

std::vector<std::string> tagLines(TResource& r) {
  std::vector<std::string> lines;
  r.WriteTag(lines, "", 0);
  return lines;
}

class NameCollector : public TResourceIterator {
 public:
  void VisitResource(TResource& r) override { names.push_back(r.name()); }
  std::vector<std::string> names;
};

}  // namespace

using ResourceTreeTest = TreeTest;

TEST_F(ResourceTreeTest, FindWalksDottedPathsIgnoringCase) {
  TResource* root = world->root;
  EXPECT_EQ(root->Find(""), root);
  EXPECT_EQ(root->Find("classes."), world->classes);  // "classes" asked for the empty path
  EXPECT_EQ(root->Find("CLASSES.Lang.object"), world->object);
  EXPECT_EQ(world->classes->Find("lang.Object"), world->object);
  EXPECT_EQ(root->Find("classes.nothing.deeper"), nullptr);
  EXPECT_EQ(root->Find("nothing"), nullptr);
  EXPECT_EQ(world->object->FullPath(), "classes.lang.Object");
  EXPECT_EQ(world->classes->FullPath(), "classes");
}

TEST_F(ResourceTreeTest, AliasesResolveOnlyAtTheRoot) {
  TRTTI* widget = world->addClass("Widget", "");
  EXPECT_TRUE(widget->aliased);
  EXPECT_EQ(world->root->Find("widget"), widget);
  EXPECT_EQ(world->globals->Find("Widget"), nullptr);
  // The first class of a name keeps it; a class made while registration is off stays out.
  TRTTI* second = static_cast<TRTTI*>(world->add(*world->globals, "<class name=\"Widget\"/>"));
  EXPECT_FALSE(second->aliased);
  resourceTree().aliasRegistration = false;
  TRTTI* hidden = world->addClass("Hidden", "");
  resourceTree().aliasRegistration = true;
  EXPECT_FALSE(hidden->aliased);
  EXPECT_EQ(world->root->Find("Hidden"), nullptr);
  RemoveAt("classes.Widget");
  EXPECT_EQ(world->root->Find("Widget"), nullptr);
  // A file linked in whose element is a class gets the place's name; when it goes,
  // its alias goes too.
  platform::writeFile(world->dir.system() + "\\odd.zunkaprj", "<class name=\"Odd\"/>");
  TResource* odd =
      CreateResourceAt(world->dir.system() + "\\odd.zunkaprj", "linked", NewResourceKind::Link);
  ASSERT_TRUE(dynamic_cast<TRTTI*>(odd));
  EXPECT_EQ(world->root->Find("Odd"), odd);
  RemoveAt("linked");
  EXPECT_EQ(world->root->Find("Odd"), nullptr);
}

TEST_F(ResourceTreeTest, MissingDollarNamesAtTheRootBecomeGlobals) {
  TResource* score = world->root->Find("$score");
  auto* global = dynamic_cast<TGlobalValue*>(score);
  ASSERT_TRUE(global);
  EXPECT_EQ(global->parentResource(), world->globals);
  EXPECT_EQ(global->value().kind, vtUnset);
  EXPECT_EQ(symbols::text(global->value().ref), "$score");
  EXPECT_EQ(valueAt(global->ValueCell()), &global->value());
  EXPECT_EQ(world->root->Find("$SCORE"), score);
  EXPECT_EQ(world->globals->count(), 1);
  EXPECT_EQ(world->classes->Find("$other"), nullptr);
  EXPECT_EQ(world->root->Find("$a.b"), nullptr);
}

TEST_F(ResourceTreeTest, CellsOfRemovedGlobalsAndClassesStayHarmless) {
  // Compiled code keeps pointers to these cells; they must stay empty cells.
  TResource* global = world->root->Find("$gone");
  setInt(*valueAt(global->ValueCell()), 5);
  Ref globalCell = global->ValueCell();
  Ref classCell = world->addClass("Gone", "")->ValueCell();
  RemoveAt("usrglobal.$gone");
  RemoveAt("classes.Gone");
  EXPECT_EQ(valueAt(globalCell)->kind, vtNull);
  EXPECT_EQ(valueAt(classCell)->kind, vtNull);
  EXPECT_NE(world->root->Find("$gone")->ValueCell(), globalCell);
}

TEST_F(ResourceTreeTest, UniqueChildNameCountsEveryNameHoldingTheStem) {
  TResourceList items("items");
  for (const char* n : {"item", "item_2", "myitem_7", "other_30"})
    items.Add(MakeResource<TResourceList>(n));
  EXPECT_EQ(UniqueChildName(items, "item"), "item_8");
  EXPECT_EQ(UniqueChildName(items, "ITEM_2"), "ITEM_8");
  EXPECT_EQ(UniqueChildName(items, "fresh"), "fresh");
  EXPECT_EQ(UniqueChildName(items, "other_30"), "other_31");
  // The 5F of a double-byte character is no "_": "\x83\x5f" is one character.
  const std::string page = std::string("$page_\x83\x5f") + "5";
  TResourceList pages("pages");
  pages.Add(MakeResource<TResourceList>(page));
  EXPECT_EQ(UniqueChildName(pages, page), page + "_1");
}

// Long lists find children through an index: it must answer as a scan would.
TEST_F(ResourceTreeTest, LongListsFindTheFirstChildOfANameThroughRenamesAndRemovals) {
  TResourceList list("many");
  for (int i = 0; i < 40; ++i) list.Add(MakeResource<TResourceList>("n" + std::to_string(i)));
  TResource* first = list.FindChild("N7");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->name(), "n7");
  list.Add(MakeResource<TResourceList>("N7"));  // a second of that name: the first wins
  EXPECT_EQ(list.FindChild("n7"), first);
  first->setName("renamed");
  EXPECT_EQ(list.FindChild("RENAMED"), first);
  EXPECT_EQ(list.FindChild("n7")->name(), "N7");  // the later one, now the only one
  list.Remove(list.FindChild("n7"));
  EXPECT_EQ(list.FindChild("n7"), nullptr);
  ResourcePtr taken = list.Detach(list.FindChild("n3"));
  EXPECT_EQ(list.FindChild("n3"), nullptr);
  taken->setName("n4");  // renaming a child that left the list changes nothing in it
  EXPECT_EQ(list.FindChild("n4")->parentResource(), &list);
  EXPECT_EQ(list.FindChild("n39"), list.childAt(list.count() - 1));
}

TEST_F(ResourceTreeTest, ListPathsIteratorsAndVisitorsFollowListOrder) {
  ResourcePtr top = ParseResourceText(
      "<resourcelist name=\"top\"><resourcelist name=\"a\"><param name=\"b\"/></resourcelist>"
      "<param name=\"c\" value=\"v\"/></resourcelist>");
  EXPECT_EQ(paths(*top), (std::vector<std::string>{"<root>", "a", "a.b", "c"}));
  NameCollector visitor;
  top->Visit(visitor);
  EXPECT_EQ(visitor.names, (std::vector<std::string>{"top", "a", "b", "c"}));
  auto it = top->CreateIterator();
  ASSERT_TRUE(it);
  ASSERT_TRUE(it->HasNext());
  EXPECT_EQ(it->Next()->name(), "a");
  it->RemoveCurrent();
  ASSERT_TRUE(it->HasNext());
  EXPECT_EQ(it->Next()->name(), "c");
  EXPECT_FALSE(it->HasNext());
  EXPECT_EQ(paths(*top), (std::vector<std::string>{"<root>", "c"}));
  EXPECT_EQ(world->object->CreateIterator(), nullptr);
}

TEST_F(ResourceTreeTest, GlobalsWriteTheirCurrentValueAndReadItBack) {
  auto* s = static_cast<TGlobalValue*>(world->root->Find("$s"));
  setString(s->value(), "ab\"c\\ソ");
  std::vector<std::string> lines = tagLines(*s);
  ASSERT_EQ(lines.size(), 1u);
  // The quotes are escaped twice over: for the script literal and for the attribute.
  EXPECT_EQ(lines[0], "<globalvalue name=\"$s\" value=\"%22ab\\%22c\\\\ソ%22\"/>");
  EXPECT_EQ(s->initText, "\"ab\\\"c\\\\ソ\"");
  ResourcePtr back = ParseResourceText(lines[0]);
  EXPECT_EQ(static_cast<TGlobalValue*>(back.get())->initText, s->initText);

  setInt(s->value(), -12);
  EXPECT_EQ(tagLines(*s)[0], "<globalvalue name=\"$s\" value=\"-12\"/>");
  setFloat(s->value(), 1.5f);
  EXPECT_EQ(tagLines(*s)[0], "<globalvalue name=\"$s\" value=\"\"/>");
  auto* plain = static_cast<TGlobalValue*>(
      world->add(*world->globals, "<globalvalue name=\"plain\" value=\"3\"/>"));
  setInt(plain->value(), 4);
  tagLines(*plain);
  EXPECT_EQ(plain->initText, "");
}

TEST_F(ResourceTreeTest, InitializeCompilesInPassesAndAssignsGlobals) {
  RecordingEvaluator evaluator;
  setSnippetEvaluator(&evaluator);
  world->add(*world->globals, "<globalvalue name=\"$lives\" value=\"3\"/>");
  world->add(*world->globals, "<globalvalue name=\"$hero\" value=\"%22Kai%22\"/>");
  // Child is listed before its parent: it compiles in the second pass.
  TRTTI* child = world->addClass("Child", "extends classes.Parent;\r\nvar z;\r\n");
  TRTTI* parent = world->addClass("Parent", "extends classes.lang.Object;\r\nvar w;\r\n");
  world->root->Initialize();
  EXPECT_TRUE(child->compiled);
  EXPECT_TRUE(parent->compiled);
  EXPECT_EQ(child->parent, parent);
  ASSERT_EQ(child->members.count(), 4);
  EXPECT_EQ(child->members.textAt(2), "w");
  EXPECT_EQ(child->members.textAt(3), "z");
  EXPECT_EQ(world->compiler.compiles, 3);
  // Globals are assigned on every pass: a plain integer directly, anything else
  // by running it as a snippet.
  EXPECT_EQ(toText(static_cast<TGlobalValue*>(world->root->Find("$lives"))->value()), "3");
  EXPECT_EQ(std::count(evaluator.sources.begin(), evaluator.sources.end(), "$lives=3;"), 0);
  EXPECT_EQ(std::count(evaluator.sources.begin(), evaluator.sources.end(), "$hero=\"Kai\";"), 2);
}

TEST_F(ResourceTreeTest, ClassesNeedingEachOtherAreACycle) {
  world->addClass("A", "extends classes.B;\r\n");
  world->addClass("B", "extends classes.A;\r\n");
  try {
    world->classes->Initialize();
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "循環参照があります");
  }
  EXPECT_EQ(world->compiler.compiles, 4);  // two passes over both
}

TEST_F(ResourceTreeTest, AFailedClassFailsInitialization) {
  TRTTI* broken = world->addClass("Broken", "fail;\r\n");
  EXPECT_THROW(world->classes->Initialize(), EError);
  EXPECT_TRUE(broken->failed);
  EXPECT_EQ(console().logLines.back(), "初期化に失敗しました");
  TInitContext context;
  TResource* lost = world->add(*world->classes, "<class name=\"Lost\" src=\"missing.zunka\"/>");
  EXPECT_THROW(lost->InitPass(context), EError);
  EXPECT_EQ(console().errors.back(), lost->src + "が見つかりません");
}

TEST_F(ResourceTreeTest, KernelFileLoadsWithLinksAndWritesBackWithoutLoss) {
  resourceTree().workDir = dataDir();
  ResourcePtr kernel = LoadResourceFile("kernel.zunkares");
  ASSERT_TRUE(kernel);
  EXPECT_TRUE(SamePath(kernel->src, dataDir() + "\\kernel.zunkares"));
  EXPECT_EQ(paths(*kernel),
            (std::vector<std::string>{
                "<root>", "usrglobal", "usrglobal.$screenWidth", "usrglobal.$title", "classes",
                "classes.lang", "classes.lang.Base", "classes.lang.Widget", "usr", "usr.classes",
                "usr.classes.Player", "usr.$score", "mainPage", "$player", "$pat", "mod"}));
  // The linked file keeps its own name and directory.
  TResource* usr = kernel->Find("usr");
  EXPECT_TRUE(SamePath(usr->src, dataDir() + "\\USR\\Page.cmml"));
  EXPECT_TRUE(SamePath(kernel->Find("usr.classes.Player")->src, dataDir() + "\\USR\\Player.zunka"));
  auto* base = static_cast<TRTTI*>(kernel->Find("classes.lang.Base"));
  EXPECT_EQ(base->category, "lang");
  EXPECT_EQ(static_cast<TGlobalValue*>(kernel->Find("usrglobal.$title"))->initText, "\"Zunka\"");
  EXPECT_EQ(static_cast<TfParam*>(kernel->Find("mainPage"))->value, "title.cmml");
  auto* generator = dynamic_cast<TGenerator*>(kernel->Find("$player"));
  ASSERT_TRUE(generator);
  EXPECT_EQ(generator->className, "Widget");
  EXPECT_EQ(generator->instAttrs, (std::vector<std::string>{"x=10"}));
  EXPECT_EQ(generator->constants, (std::vector<std::string>{"y=\"a\""}));

  std::vector<std::string> lines = tagLines(*kernel);
  EXPECT_EQ(lines[0], "<resourcelist name=\"root\">");
  EXPECT_EQ(lines[7], "   <class name=\"Base\" src=\"classes\\Base.zunka\" category=\"lang\"/>");
  ASSERT_EQ(lines.size(), 24u);
  // A generator writes one line without indent, its attributes in a fixed order.
  EXPECT_EQ(lines[18],
            "<generator className=\"Widget\" name=\"$player\" inst_x=\"10\" const_y=\"%22a%22\"/>");
  EXPECT_EQ(lines[20], " <module name=\"mod\" src=\"mods\\mod.dll\">");
  EXPECT_EQ(lines[21], "  <option k=\"1\"/>");
  EXPECT_TRUE(console().errors.empty());
  // Written and read again, the tree writes the same lines.
  ResourcePtr again = ParseResourceText(JoinLines(lines), dataDir());
  EXPECT_EQ(tagLines(*again), lines);
}

TEST_F(ResourceTreeTest, UnknownTagsAreReportedAndSkipped) {
  ResourcePtr r = ParseResourceText(
      "<resourcelist name=\"r\"><bogus name=\"x\"/><param name=\"p\"/></resourcelist>");
  EXPECT_EQ(paths(*r), (std::vector<std::string>{"<root>", "p"}));
  EXPECT_EQ(console().errors, (std::vector<std::string>{"bogusは不正なタグ名です"}));
  EXPECT_FALSE(ParseResourceText("<bogus/>"));
  EXPECT_FALSE(ParseResourceText("nothing"));
  // A tag naming a custom-resource class becomes a custom resource; while that
  // class is not compiled it has no instance, and writes nothing.
  auto* customres = static_cast<TResourceList*>(
      world->add(*world->classes, "<resourcelist name=\"customres\"/>"));
  world->add(*customres, "<class name=\"bogus\"/>");
  ResourcePtr custom = ParseResourceText("<bogus name=\"x\" k=\"v\"/>");
  auto* made = dynamic_cast<TCustomResource*>(custom.get());
  ASSERT_TRUE(made);
  EXPECT_EQ(made->instance(), nullptr);
  EXPECT_TRUE(tagLines(*custom).empty());
}

TEST_F(ResourceTreeTest, LinkCyclesAndMissingFilesAreErrors) {
  resourceTree().workDir = dataDir();
  for (const char* file : {"self_link.cmml", "ping.cmml"}) {
    try {
      LoadResourceFile(file);
      FAIL() << file;
    } catch (const EError& e) {
      EXPECT_NE(e.message().find("は自分自身をリンクしています"), std::string::npos) << e.message();
    }
  }
  EXPECT_THROW(LoadResourceFile("absent.cmml"), EError);
  EXPECT_EQ(console().errors.back(), dataDir() + "\\absent.cmml" + "が見つかりません");
  // Nesting deeper than the readers allow, spread over links, is refused too.
  std::string deep;
  for (int i = 0; i < 150; ++i) deep += "<resourcelist name=\"d\">";
  world->dir.write("deep.cmml", deep);
  resourceTree().workDir = world->dir.system();
  EXPECT_THROW(ParseResourceText(deep + "<link src=\"deep.cmml\"/>"), EError);
}

TEST_F(ResourceTreeTest, ClonesAreDeepAndMergeAddsOnlyMissingNames) {
  auto* source =
      static_cast<TResourceList*>(world->add(*world->root, "<resourcelist name=\"src\"/>"));
  world->add(*source, "<class name=\"Shared\" src=\"shared.zunka\" category=\"c\"/>");
  world->add(*source,
             "<resourcelist name=\"sounds\"><param name=\"bgm\" value=\"a.mid\"/></resourcelist>");
  auto* target =
      static_cast<TResourceList*>(world->add(*world->root, "<resourcelist name=\"dst\"/>"));
  world->add(*target, "<param name=\"SHARED\" value=\"mine\"/>");
  EXPECT_TRUE(MergeMissing(*target, *source));
  EXPECT_FALSE(MergeMissing(*target, *source));
  EXPECT_EQ(paths(*target), (std::vector<std::string>{"<root>", "SHARED", "sounds", "sounds.bgm"}));
  TResource* copy = target->Find("sounds.bgm");
  EXPECT_NE(copy, source->Find("sounds.bgm"));
  EXPECT_EQ(static_cast<TfParam*>(copy)->value, "a.mid");

  ResourcePtr cls = source->Find("Shared")->Clone();
  auto* clone = dynamic_cast<TRTTI*>(cls.get());
  ASSERT_TRUE(clone);
  EXPECT_EQ(clone->src, world->dir.system() + "\\shared.zunka");
  EXPECT_EQ(clone->category, "c");
  EXPECT_FALSE(clone->compiled);
}

TEST_F(ResourceTreeTest, EditingOperationsCreateAttachRemoveAndSave) {
  std::string dir = world->dir.system();
  int32_t parses = timeAnalyzer().passCount(66);  // the section of the tag-text parse
  TResource* pages = CreateResourceAt("", "pages", NewResourceKind::List);
  ASSERT_TRUE(pages);
  EXPECT_EQ(timeAnalyzer().passCount(66), parses + 1);
  EXPECT_EQ(world->root->Find("pages"), pages);
  auto* lives =
      dynamic_cast<TGlobalValue*>(CreateResourceAt("", "pages.$lives", NewResourceKind::Global));
  ASSERT_TRUE(lives);
  EXPECT_EQ(lives->initText, "0");
  TResource* cls = CreateResourceAt(dir + "\\Hero.zunka", "pages.Hero", NewResourceKind::Class);
  ASSERT_TRUE(dynamic_cast<TRTTI*>(cls));
  EXPECT_EQ(ReadTextFile(dir + "\\Hero.zunka"), "extends classes.lang.Object;\r\n");
  TResource* linked = CreateResourceAt(dir + "\\stage.cmml", "pages.stage", NewResourceKind::Link);
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->name(), "stage");
  EXPECT_EQ(ReadTextFile(dir + "\\stage.cmml"),
            "<resourcelist name=\"stage\">\r\n</resourcelist>\r\n");
  EXPECT_EQ(CreateResourceAt("", "nowhere.x", NewResourceKind::List), nullptr);

  AttachAt("pages.extra", MakeResource<TResourceList>("ignored"));
  EXPECT_TRUE(world->root->Find("pages.extra"));
  RemoveAt("pages.extra");
  EXPECT_FALSE(world->root->Find("pages.extra"));

  world->add(*static_cast<TResourceList*>(linked), "<param name=\"p\" value=\"1\"/>");
  SaveResource("pages.stage");
  EXPECT_EQ(
      ReadTextFile(dir + "\\stage.cmml"),
      "<resourcelist name=\"stage\">\r\n <param name=\"p\" value=\"1\"/>\r\n</resourcelist>\r\n");
  SaveResource("pages");
  EXPECT_EQ(console().errors.back(), "pagesは保存できません");
}

TEST_F(ResourceTreeTest, AClassWithLiveObjectsRefusesToGo) {
  TRTTI* cls = world->addClass("Keeper", "extends classes.lang.Object;\r\n");
  world->classes->Initialize();
  TValue held = newObject(cls);
  try {
    RemoveAt("classes.Keeper");
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), cls->DisplayName() + ":オブジェクトがまだ残っています");
  }
  EXPECT_EQ(world->root->Find("classes.Keeper"), cls);
  setNull(held);
  RemoveAt("classes.Keeper");
  EXPECT_EQ(world->root->Find("classes.Keeper"), nullptr);
}

TEST_F(ResourceTreeTest, ForgetObjectsEmptiesCellsWithoutReleasing) {
  auto* global = static_cast<TGlobalValue*>(world->root->Find("$held"));
  TValue object = newObject(world->object);
  assign(global->value(), &object);
  int32_t count = objectOf(object)->refCount;
  world->globals->ForgetObjects();
  EXPECT_EQ(global->value().kind, vtNull);
  EXPECT_EQ(objectOf(object)->refCount, count);
  setNull(object);
}
