#include <gtest/gtest.h>

#include "resources/tag_reader.h"
#include "support/vm_world.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

std::unique_ptr<TSGML> parse(std::string_view text) {
  return ParseTagText(text);
}

std::unique_ptr<TSGML> pattern(std::string_view text) {
  size_t pos = 0;
  return ReadElement(text, pos);
}

std::string nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  for (int i = 0; i < depth; ++i) text += "</a>";
  return text;
}

}  // namespace

TEST(TagReader, ChildlessTagsNeverTakeChildren) {
  auto list = parse("<list><class name=\"A\" src=\"a.zunka\"><b/></list>");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->children().size(), 2u);
  EXPECT_EQ(list->children()[0]->TagName(), "class");
  EXPECT_TRUE(list->children()[0]->children().empty());
  EXPECT_EQ(list->children()[1]->TagName(), "b");
  for (const char* tag : {"globalvalue", "link", "generator", "cpattern"}) {
    auto node = parse(std::string("<r><") + tag + "><x/></r>");
    EXPECT_EQ(node->children().size(), 2u) << tag;
  }
}

TEST(TagReader, PercentEscapesInTheCharacterReader) {
  auto a = parse("<a x=\"1%3c2\" y=\"%41%4a%4A\" z=\"%zz!\" w=\"%4\"/>");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetAttr("x"), "1<2");
  EXPECT_EQ(a->GetAttr("y"), "AJJ");
  EXPECT_EQ(a->GetAttr("z"), std::string("\0!", 2));
  // "%4\"" takes the quote as its second digit, so w never closes and is dropped.
  EXPECT_EQ(a->GetAttr("w"), "");
  EXPECT_EQ(a->AttrCount(), 3);
}

TEST(TagReader, AttributesSkipAnythingBeforeTheQuote) {
  auto a = parse("<a x = \"1\" Y:=\"2\" \"3\" x=\"4\">");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetAttr("x"), "1");  // the first of two lines of one name
  EXPECT_EQ(a->GetAttr("y"), "2");  // names compare without regard to case
  EXPECT_EQ(a->AttrName(2), "");
  EXPECT_EQ(a->GetAttr(""), "3");
  EXPECT_EQ(a->GetAttr("missing"), "");
}

TEST(TagReader, EndTagsCloseWhateverTheirName) {
  auto a = parse("text <list>\r\n <b/>\r\n</other><after/>");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->TagName(), "list");
  EXPECT_EQ(a->children().size(), 1u);
  EXPECT_EQ(parse("<first/><second/>")->TagName(), "first");
  EXPECT_FALSE(parse("no tags here"));
  EXPECT_FALSE(parse("</a>"));
}

TEST(TagReader, TruncatedTextEndsTheElementWithoutTheCutAttribute) {
  for (std::string text : {"<a x=\"1\" y=\"unterminated", "<a x=\"1\" y=\"%4", "<a x=\"1\" y",
                           "<a x=\"1\"", "<a x=\"1\"><b", "<a x=\"1\"><b/>", "<"}) {
    auto a = parse(text);
    ASSERT_TRUE(a) << text;
    EXPECT_EQ(a->GetAttr("y"), "") << text;
    if (text.size() > 4) {
      EXPECT_EQ(a->GetAttr("x"), "1") << text;
    }
  }
  size_t pos = 0;
  std::string text = "<a><b/>";
  ReadTagElement(text, pos);
  EXPECT_EQ(pos, text.size());
}

TEST(TagReader, DeepNestingIsAClearErrorInBothReaders) {
  EXPECT_TRUE(parse(nested(kMaxTagDepth)));
  try {
    parse(nested(100000));
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "タグの入れ子が深すぎます");
  }
  EXPECT_THROW(pattern(nested(100000)), EError);
}

TEST(TagReader, PatternReaderUnescapesTwiceAndKeepsTexts) {
  auto item =
      pattern("  <item a=\"%253c\" b=\"x%22y%3e\" c=\"%2525\">one<sub k=\"1\"/>two%3c</item>rest");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetAttr("a"), "<");
  EXPECT_EQ(item->GetAttr("b"), "x\"y>");
  EXPECT_EQ(item->GetAttr("c"), "%");
  ASSERT_EQ(item->children().size(), 1u);
  EXPECT_EQ(item->children()[0]->GetAttr("k"), "1");
  EXPECT_EQ(item->texts(), (std::vector<std::string>{"one", "two<"}));
  // A repeated attribute keeps its last value, moved to the end.
  auto twice = pattern("<a x=\"1\" y=\"2\" x=\"3\"/>");
  EXPECT_EQ(twice->attributeLines(), (std::vector<std::string>{"y=2", "x=3"}));
}

TEST(TagReader, PatternReaderErrors) {
  VmWorld& w = VmWorld::get();
  EXPECT_THROW(pattern("no tag"), EError);
  EXPECT_THROW(pattern("<unclosed"), EError);
  w.console.clear();
  auto open = pattern("<list><a/>tail");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->children().size(), 1u);
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "invalid Tag : tail");
  // Self-closing and childless tags take no children.
  EXPECT_TRUE(pattern("<class><x/></class>")->children().empty());
}

TEST(TagWriter, ExactOutput) {
  TSGML a("a");
  a.SetAttr("k", "");
  EXPECT_EQ(a.ToText(), "<a/>");
  a.AddChild(std::make_unique<TSGML>("b"));
  a.AddChild(std::make_unique<TSGML>("c"));
  EXPECT_EQ(a.ToText(), "<a>\r\n <b/> <c/></a>");
  TSGML v("v");
  v.SetAttr("name", "100% <\"ok\">");
  v.SetAttr("x", "1");
  v.SetAttr("name", "again");  // replaced and moved to the end
  EXPECT_EQ(v.ToText("  "), "  <v x=\"1\" name=\"again\"/>");
  EXPECT_EQ(EscapeAttr("100% <\"ok\">"), "100%25 %3c%22ok%22%3e");
  EXPECT_EQ(UnescapeOnce("%253c%3c%22%25"), "%3c<\"%");
}

TEST(TagWriter, WrittenTextReadsBackTheSameTree) {
  std::string value;
  for (int c = 1; c < 256; ++c) value += static_cast<char>(c);
  TSGML root("root");
  root.SetAttr("all", value);
  auto child = std::make_unique<TSGML>("child");
  child->SetAttr("multi", "line\r\nbreak");
  root.AddChild(std::move(child));
  auto back = parse(root.ToText());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetAttr("all"), value);
  ASSERT_EQ(back->children().size(), 1u);
  EXPECT_EQ(back->children()[0]->GetAttr("multi"), "line\r\nbreak");
  EXPECT_EQ(back->ToText(), root.ToText());
}
