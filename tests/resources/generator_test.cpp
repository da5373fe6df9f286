#include "tree_fixture.h"

#include "resources/gen_iterator.h"
#include "resources/generator.h"
#include "resources/project_natives.h"
#include "resources/sgml.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

std::vector<std::string> tagLines(TResource& r) {
  std::vector<std::string> lines;
  r.WriteTag(lines, "  ", 0);
  return lines;
}

class GeneratorTest : public TreeTest {
 protected:
  // A compiled class with exactly the given members, found by its bare name.
  TRTTI* compiledClass(const char* name, std::initializer_list<const char*> members) {
    auto* cls = static_cast<TRTTI*>(
        world->add(*world->classes, std::string("<class name=\"") + name + "\"/>"));
    for (const char* m : members) cls->EnsureMember(m);
    cls->compiled = true;
    return cls;
  }
  TGenerator* generator(TResourceList& list, std::string_view tagText) {
    return dynamic_cast<TGenerator*>(world->add(list, tagText));
  }
  TResourceList* list(TResourceList& parent, const char* name) {
    return static_cast<TResourceList*>(
        world->add(parent, std::string("<resourcelist name=\"") + name + "\"/>"));
  }
};

}  // namespace

TEST_F(GeneratorTest, ReadsConstantsAndInstanceAttributesInOrderAndWritesThemBack) {
  TGenerator* gen = generator(*world->root,
                              "<generator name=\"$ship\" CLASSNAME=\"Ship\" inst_x=\"10\" "
                              "const_speed=\"2\" other=\"1\" inst_label=\"%22a%3cb%22\" "
                              "Inst_y=\"3\"/>");
  ASSERT_TRUE(gen);
  EXPECT_EQ(gen->className, "Ship");  // attribute names ignore case
  EXPECT_EQ(gen->state, TGenerator::kCreate);
  // The prefixes match exactly: Inst_y is neither.
  EXPECT_EQ(gen->instAttrs, (std::vector<std::string>{"x=10", "label=\"a<b\""}));
  EXPECT_EQ(gen->constants, (std::vector<std::string>{"speed=2"}));

  RecordingEvaluator evaluator;
  setSnippetEvaluator(&evaluator);
  EXPECT_EQ(tagLines(*gen),
            (std::vector<std::string>{"<generator className=\"Ship\" name=\"$ship\" inst_x=\"10\" "
                                      "inst_label=\"%22a%3cb%22\" const_speed=\"2\"/>"}));
  // The living object gets the chance to update its generator first.
  EXPECT_EQ(evaluator.sources, (std::vector<std::string>{"if ($ship) $ship.onSaveToGen();"}));
}

TEST_F(GeneratorTest, SetInstAttrReplacesOrDeletesAndQuotesSurviveAWriteAndARead) {
  TGenerator* gen =
      generator(*world->root, "<generator name=\"$a\" classname=\"A\" inst_x=\"1\" inst_y=\"2\"/>");
  gen->SetInstAttr("x", "5");
  EXPECT_EQ(gen->instAttrs, (std::vector<std::string>{"y=2", "x=5"}));
  gen->SetInstAttr("Y", "");  // an empty value deletes the attribute
  EXPECT_EQ(gen->instAttrs, (std::vector<std::string>{"x=5"}));
  gen->SetInstAttr("title", "\"say \"hi\" 100%\"");
  std::vector<std::string> lines = tagLines(*gen);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].find("inst_y"), std::string::npos);
  EXPECT_NE(lines[0].find("inst_title=\"%22say %22hi%22 100%25%22\""), std::string::npos);

  ResourcePtr again = ParseResourceText(lines[0]);
  auto* read = dynamic_cast<TGenerator*>(again.get());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->instAttrs, gen->instAttrs);
  EXPECT_EQ(read->name(), "$a");
  EXPECT_EQ(read->className, "A");
}

TEST_F(GeneratorTest, PlacementScriptCreatesFirstThenSetsUpAndOnlyScreenObjectsAppear) {
  compiledClass("Ball", {"x", "y"});
  compiledClass("Wall", {"w"});
  TResourceList* usr = list(*world->root, "usr");
  world->add(*usr, "<globalvalue name=\"$score\" value=\"7\"/>");
  world->add(*usr, "<globalvalue name=\"$empty\"/>");
  TResourceList* gen = list(*usr, "gen");
  generator(
      *gen,
      "<generator name=\"$ball\" className=\"Ball\" inst_y=\"2\" inst_x=\"1\" inst_z=\"9\"/>");
  generator(*gen, "<generator name=\"$wall\" className=\"Wall\" inst_x=\"10\"/>");
  TResourceList* extra = list(*usr, "extra");
  generator(*extra, "<generator name=\"$spare\" className=\"Ball\"/>");

  TGenIterator iterator(-42);
  usr->Visit(iterator);
  iterator.setPass(1);
  usr->Visit(iterator);
  const std::string appear = "if ($_design_mode==0) { appear(";
  EXPECT_EQ(iterator.snippets(),
            (std::vector<std::string>{
                "$_hashCode=getPageHashCode()-(-42);",
                "if (!$_design_mode) { for (p in $procs) p.kill();} $chars.clear();", "$score=7;",
                "$ball=new Ball();", "$wall=new Wall();", "$spare=new Ball();", "$ball.y=2;",
                "$ball.x=1;",  // z is no member of Ball
                "$ball.setGenerator( getResource(\"usr.gen.$ball\").getTObject() );",
                "$ball.onGenerate();", appear + "$ball); }else $chars.add($ball);", "_n_refresh();",
                // Wall has no member x: no assignment.
                "$wall.setGenerator( getResource(\"usr.gen.$wall\").getTObject() );",
                "$wall.onGenerate();", appear + "$wall); }else $chars.add($wall);", "_n_refresh();",
                // Outside usr.gen an object is made and set up but does not appear.
                "$spare.setGenerator( getResource(\"usr.extra.$spare\").getTObject() );",
                "$spare.onGenerate();"}));
  std::string text = iterator.ScriptText();
  EXPECT_TRUE(text.starts_with(
      "extends Object; $_exec_checkPoint=-1;\r\n$_hashCode=getPageHashCode()-(-42);\r\n"
      "$_exec_checkPoint=1;\r\nif (!$_design_mode)"));
  EXPECT_NE(text.find("_n_refresh();\r\n$_exec_checkPoint=16;\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("$spare.onGenerate();\r\n$_exec_checkPoint=18;\r\n"));
}

TEST_F(GeneratorTest, MissingAndUncompiledClassesPlaceNothing) {
  auto* pending = static_cast<TRTTI*>(world->add(*world->classes, "<class name=\"Pending\"/>"));
  ASSERT_FALSE(pending->compiled);
  TResourceList* usr = list(*world->root, "usr");
  generator(*usr, "<generator name=\"$ghost\" className=\"Ghost\" inst_x=\"1\"/>");
  generator(*usr, "<generator name=\"$later\" className=\"Pending\"/>");
  TGenIterator iterator(0);
  usr->Visit(iterator);
  iterator.setPass(1);
  usr->Visit(iterator);
  EXPECT_EQ(console().errors,
            (std::vector<std::string>{
                "$ghostのクラスGhostはありません。オブジェクトの作成を中止します"}));
  EXPECT_EQ(console().logLines,
            (std::vector<std::string>{
                "Pendingはコンパイルされていないので、オブジェクトを生成できません"}));
  // Only the pending class exists, so only its set-up is written.
  ASSERT_EQ(iterator.snippets().size(), 4u);
  EXPECT_EQ(iterator.snippets()[2],
            "$later.setGenerator( getResource(\"usr.$later\").getTObject() );");
}

namespace {

TEST_F(GeneratorTest, CharChangeAttrSetsAGeneratorsAttributeAndRefusesAnythingElse) {
  TGenerator* gen =
      generator(*world->root, "<generator name=\"$c\" classname=\"C\" inst_x=\"1\"/>");
  NativeHandler changeAttr = charNatives()[0].handler;
  // Arguments sit below the target: value, name, generator, then the target.
  std::vector<TValue> slots = {TValue::ofInt(9), TValue{}, TValue::ofRef(vtHost, gen->handle()),
                               TValue{}};
  setString(slots[1], "x");
  changeAttr(nullptr, &slots[3], 3, 0);
  EXPECT_EQ(gen->instAttrs, std::vector<std::string>{"x=9"});
  slots[2] = TValue::ofInt(3);
  try {
    changeAttr(nullptr, &slots[3], 3, 0);
    ADD_FAILURE() << "no error";
  } catch (const ERuntimeError& e) {
    EXPECT_EQ(e.message(), "invalid generator at chattr");
  }
  release(slots[1]);
}

}  // namespace
