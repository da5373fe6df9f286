#include "resources/kernel_world.h"

#include "resources/custom_resource.h"
#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "vm/runtime.h"
#include "vm/symbols.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

constexpr const char* kNote =
    "extends classes.customres.CustomResource;\r\n"
    "function onInit() {\r\n"
    "  if (passes == null) passes = 0;\r\n"
    "  passes = passes + 1;\r\n"
    "  if (passes < 2) return 1;\r\n"
    "  return 2;\r\n"
    "}\r\n"
    "function onDestroy() { print(\"gone \" + title); }\r\n"
    "function owner() { return _generator; }\r\n";

std::string member(TCustomResource& r, std::string_view name) {
  vm::TfObject* o = r.instance();
  auto* cls = vm::classOf(o);
  int32_t slot = cls->members.find(vm::symbols::intern(name));
  return slot < 0 ? "(none)" : vm::toText(o->members()[slot]);
}

class CustomResourceTest : public KernelWorldTest {
 protected:
  void SetUp() override {
    KernelWorldTest::SetUp();
    std::string file = write("game\\note.zunka", kNote);
    ResourcePtr made = ParseResourceText("<class name=\"note\" src=\"" + file + "\"/>");
    TRTTI* note = dynamic_cast<TRTTI*>(made.get());
    ASSERT_TRUE(note);
    resourceTree().root->Find("classes.customres")->Add(std::move(made));
    note->Initialize();
    resourceTree().workDir = path("game");
  }
};

}  // namespace

TEST_F(CustomResourceTest, TheElementBecomesAnInstanceWhoseStringsAreSavedAndReadBack) {
  ResourcePtr made = ParseResourceText(
      "<note name=\"n1\" src=\"x.txt\"><resinst type=\"string\" name=\"title\" value=\"a%22b\"/>"
      "<resinst type=\"int\" name=\"passes\" value=\"9\"/>"
      "<resinst type=\"string\" name=\"nowhere\" value=\"z\"/></note>");
  auto* note = dynamic_cast<TCustomResource*>(made.get());
  ASSERT_TRUE(note && note->instance());
  EXPECT_EQ(member(*note, "title"), "a\"b");
  EXPECT_EQ(member(*note, "passes"), "変数passes");  // only strings are restored
  EXPECT_EQ(member(*note, "nowhere"), "(none)");
  EXPECT_EQ(member(*note, "_generator"), "TCustomResource");

  std::vector<std::string> lines;
  note->WriteTag(lines, " ", 0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "<note name=\"n1\" src=\"x.txt\">\r\n <resinst type=\"string\" name=\"title\" "
            "value=\"a%22b\"/></note>");
  EXPECT_EQ(vm::toText(*GlobalCell("$_tmp_val1")).rfind("note@", 0), 0u);

  ResourcePtr again = ParseResourceText(lines[0]);
  auto* copy = dynamic_cast<TCustomResource*>(again.get());
  ASSERT_TRUE(copy);
  EXPECT_EQ(member(*copy, "title"), "a\"b");
  EXPECT_NE(copy->instance(), note->instance());

  // Destroying the resource tells its instance.
  again.reset();
  EXPECT_EQ(console.printed, (std::vector<std::string>{"gone a\"b"}));
}

TEST_F(CustomResourceTest, OnInitReportsProgressThroughTheInitialisationPasses) {
  auto* list = static_cast<TResourceList*>(CreateResourceAt("", "notes", NewResourceKind::List));
  ASSERT_TRUE(list);
  list->Add(ParseResourceText("<note name=\"a\"/>"));
  list->Add(ParseResourceText("<note name=\"b\"/>"));
  list->Initialize();  // one pass leaves both pending, the second finishes
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(member(*static_cast<TCustomResource*>(list->childAt(i)), "passes"), "2");
  EXPECT_EQ(vm::toText(*GlobalCell("$_tmp_val1")), "0");
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(CustomResourceTest, ResourceNativesAnswerByHandle) {
  // Natives are reached from methods of subclasses of their classes.
  write("game\\Lists.zunka",
        "extends BuiltInResource;\r\n"
        "function children(h) { return _n_getSubRes(h); }\r\n"
        "function instance(h) { return _n_getCustomRes(h); }\r\n");
  write("game\\Names.zunka",
        "extends classes.customres.CustomResource;\r\n"
        "function name(h) { return _n_getName(h); }\r\n"
        "function url(h) { return _n_getURL(h); }\r\n"
        "function path(h) { return _n_getFullPath(h); }\r\n");
  std::string a =
      write("game\\a.cmml",
            "<resourcelist name=\"a\"><resourcelist name=\"classes\">"
            "<class name=\"Lists\" src=\"Lists.zunka\"/>"
            "<class name=\"Names\" src=\"Names.zunka\"/></resourcelist></resourcelist>");
  write("game\\b.cmml", "<resourcelist name=\"b\"/>");
  projects().LoadPage(a);
  EXPECT_EQ(run("l = new Lists();\r\n n = new Names();\r\n"
                "pages = getResource(\"project.pages\").getTObject();\r\n"
                "items = l.children(pages);\r\n"
                "print(items.size());\r\n"
                "h = items.get(1);\r\n"
                "print(l.instance(h) == getResource(\"project.pages.$page_b\"));\r\n"
                "print(n.name(h));\r\n"
                "print(n.path(h));\r\n"
                "print(n.url(h));\r\n"
                "print(n.name(3));\r\n"
                "print(l.children(h));\r\n"
                "print(l.instance(pages));\r\n"),
            0);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"2", "1", "$page_b", "project.pages.$page_b",
                                                       path("game\\b.cmml"), "0", "null", "null"}));
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

// Every resource is seen by scripts through one BuiltInResource object, made on
// first request and told (onDestroy) when its resource leaves the tree.
TEST_F(KernelWorldTest, ScriptObjectsAreMadeOnceAndToldWhenTheirResourceGoes) {
  ResourcePtr group = ParseResourceText(
      "<resourcelist name=\"group\"><param name=\"first\"/><param name=\"second\"/>"
      "</resourcelist>");
  ASSERT_TRUE(group);
  resourceTree().root->Add(std::move(group));
  EXPECT_EQ(run("$tellDestroyed = 1;\r\n"
                "a = getResource(\"group.first\");\r\n"
                "print(a == getResource(\"group.first\"));\r\n"
                "print(a.getTObject());\r\n"
                "print(getResource(\"group\").getTObject());\r\n"
                "getResource(\"group.second\");\r\n"),
            0);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"1", "TfParam", "TResourceList"}));
  console.printed.clear();
  RemoveAt("group");
  // Children first, front to back, then the list itself.
  EXPECT_EQ(console.printed,
            (std::vector<std::string>{"gone TfParam", "gone TfParam", "gone TResourceList"}));
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

// A command leaves the tree to the operating system only when tearing it down
// would run nothing: an object a global or a resource still holds, or garbage not
// yet finished, keeps the tear-down.
TEST_F(KernelWorldTest, TreeTeardownIsSilentOnlyWhenNothingIsLeftToFinish) {
  TResource& root = *resourceTree().root;
  ReleaseScriptObjects(root);
  EXPECT_TRUE(TreeTeardownIsSilent(root));

  ASSERT_EQ(run("$kept = new Object();\r\n"), 0);
  EXPECT_FALSE(TreeTeardownIsSilent(root));
  ReleaseScriptObjects(root);
  EXPECT_TRUE(TreeTeardownIsSilent(root));

  ASSERT_EQ(run("getResource(\"classes.lang\");\r\n"), 0);
  EXPECT_FALSE(TreeTeardownIsSilent(root));
  ReleaseScriptObjects(root);
  EXPECT_TRUE(TreeTeardownIsSilent(root));

  ASSERT_EQ(run("a = new Array();\r\na = null;\r\n"), 0);
  EXPECT_FALSE(TreeTeardownIsSilent(root));
  ReleaseScriptObjects(root);
  EXPECT_TRUE(TreeTeardownIsSilent(root));

  // Garbage strings would only give their bodies back: a process about to end
  // leaves them as they are, and finishes them only when it tears the tree down.
  auto garbageStrings = [] {
    int count = 0;
    for (vm::Ref r : vm::runtime().stringClass->pool()) count += vm::objectAt(r)->refCount == 0;
    return count;
  };
  ASSERT_EQ(run("$s = \"ab\" + 1;\r\n$s = null;\r\n"), 0);
  const int garbage = garbageStrings();
  EXPECT_GE(garbage, 1);
  EXPECT_TRUE(TreeTeardownIsSilent(root));
  ReleaseScriptObjects(root, true);
  EXPECT_EQ(garbageStrings(), garbage);
  FinishSilentGarbage(root);
  EXPECT_EQ(garbageStrings(), 0);
  ASSERT_EQ(run("$s = \"ab\" + 1;\r\n$s = null;\r\n"), 0);
  ReleaseScriptObjects(root);
  EXPECT_EQ(garbageStrings(), 0);
  // A list holding the last reference to a string is not silent; finishing it
  // makes the string silent garbage.
  ASSERT_EQ(run("a = new Array();\r\na.add(\"x\" + 2);\r\na = null;\r\n"), 0);
  EXPECT_FALSE(TreeTeardownIsSilent(root));
  ReleaseScriptObjects(root, true);
  EXPECT_TRUE(TreeTeardownIsSilent(root));
  EXPECT_GE(garbageStrings(), 1);
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}
