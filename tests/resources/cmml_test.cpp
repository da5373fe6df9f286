// CMML documents as scripts build and read them: elements, attributes, sub-items,
// the text form and back, and documents that go with their last object.
#include "resources/cmml_documents.h"
#include "resources/cmml_natives.h"
#include "resources/kernel_world.h"
#include "resources/tag_reader.h"
#include "support/native_call.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using Lines = std::vector<std::string>;

class Cmml : public KernelWorldTest {
 protected:
  Lines printed(std::string_view statements) {
    console.clear();
    // A call cannot follow `new CMML(...)` directly: cmml(h) makes one instead.
    std::string helper = "function cmml(h) { var o; o = new CMML(h); return o; }\n";
    EXPECT_EQ(run(helper + std::string(statements)), 0)
        << (console.errors.empty() ? "" : console.errors[0]);
    return console.printed;
  }
};

}  // namespace

TEST_F(Cmml, ADocumentIsBuiltFromItsFirstElementAndWrittenAsTagText) {
  EXPECT_EQ(
      printed(
          "doc = new CMML(\"scores version=\\\"2\\\"\");\n"
          "print(doc.isValid() + \" \" + doc.getTagName() + \" \" + doc.getAttr(\"VERSION\"));\n"
          "row = doc.addSubItem(\"item x=\\\"1\\\"\");\n"
          "print(row.getTagName() + \" x=\" + row.getAttr(\"x\") + \" y=\" + row.getAttr(\"y\"));\n"
          "row.setAttr(\"name\", \"a\\\"b<c>%d\");\n"
          "row.setAttr(\"x\", 5);\n"
          "doc.addSubItem(\"item\").setTagName(\"last\");\n"
          "print(doc.toText());\n"
          "kids = doc.getSubItems();\n"
          "print(kids.size() + \" \" + kids.get(0).getAttr(\"name\") + \" \" + "
          "kids.get(1).getTagName());\n"
          "print(kids.get(1).getSubItems().size());\n"),
      (Lines{
          "1 scores 2", "item x=1 y=",
          "<scores version=\"2\">\r\n <item name=\"a%22b%3cc%3e%25d\" x=\"5\"/> <last/></scores>",
          "2 a\"b<c>%d last", "0"}));
}

TEST_F(Cmml, TheTextFormReadsBackToTheSameDocument) {
  EXPECT_EQ(
      printed(
          "doc = new CMML(\"table\");\n"
          "for (i = 1; i <= 3; i += 1) {\n"
          "  r = doc.addSubItem(\"row rank=\\\"\" + i + \"\\\"\");\n"
          "  r.setAttr(\"name\", \"p%\" + i + \" <\\\"\x83\x5c>\");\n"
          "  r.addSubItem(\"note\").setAttr(\"t\", \"deep\");\n"
          "}\n"
          "text = doc.toText();\n"
          "again = new CMML(text);\n"
          "print(again.toText() == text);\n"
          "for (r in again.getSubItems()) print(r.getAttr(\"rank\") + \" \" + r.getAttr(\"name\") "
          "+ \" \" + r.getSubItems().get(0).getAttr(\"t\"));\n"),
      (Lines{"1", "1 p%1 <\"\x83\x5c> deep", "2 p%2 <\"\x83\x5c> deep",
             "3 p%3 <\"\x83\x5c> deep"}));
}

TEST_F(Cmml, DocumentsGoWithTheirLastObjectAndTheirHandlesGoStale) {
  size_t before = cmmlDocuments().documents();
  // Each dropped object's record is reused, and its document goes with it.
  EXPECT_EQ(printed("for (i = 0; i < 500; i += 1) {\n"
                    "  d = new CMML(\"doc\");\n"
                    "  d.addSubItem(\"kid\");\n"
                    "}\n"
                    "print(d.getSubItems().get(0).getTagName());\n"),
            Lines{"kid"});
  EXPECT_LE(cmmlDocuments().documents(), before + 3);

  // A child's object keeps the document when the first element's object goes.
  vm::NativeHandler hold = findNative(cmmlNatives(), "_n_hold");
  vm::NativeHandler drop = findNative(cmmlNatives(), "_n_drop");
  vm::NativeHandler tagName = findNative(cmmlNatives(), "_n_getTagName");
  vm::NativeHandler add = findNative(cmmlNatives(), "_n_addSubItem");
  vm::TValue self = vm::TValue::ofInt(-99);
  vm::TValue text = vm::newString("root");
  vm::retain(text);
  vm::TValue root = callNative(hold, self, {text});
  vm::release(text);
  ASSERT_EQ(root.kind, vm::vtHost);
  vm::TValue kidText = vm::newString("kid");
  vm::retain(kidText);
  vm::TValue kidObject = callNative(add, self, {root, kidText});
  vm::release(kidText);
  ASSERT_EQ(kidObject.kind, vm::vtObject);  // a CMML object, holding the document
  callNative(drop, self, {root});
  EXPECT_EQ(vm::toText(callNative(tagName, self, {root})), "root");
  vm::release(kidObject);  // the last object: garbage, dropped when its record is reused
  EXPECT_EQ(printed("for (i = 0; i < 3; i += 1) x = new CMML(\"other\");\n"), Lines{});
  // The document is gone; its handles name nothing any more.
  vm::TValue gone = callNative(tagName, self, {root});
  EXPECT_EQ(gone.kind, vm::vtNull);
  EXPECT_EQ(callNative(hold, self, {root}).kind, vm::vtInt);
  EXPECT_EQ(callNative(drop, self, {root}).i, -99);
  EXPECT_EQ(printed("c = new CMML(" + std::to_string(root.ref) +
                    ");\n"
                    "print(c.isValid());\n"
                    "print(c.getTagName());\n"
                    "c.setAttr(\"x\", 1);\n"
                    "print(c.addSubItem(\"y\"));\n"
                    "print(cmml(0).isValid() + cmml().isValid());\n"
                    "print(cmml(\"<not closed\").toText());\n"),
            (Lines{"0", "null", "null", "0", "<not/>"}));
}

TEST_F(Cmml, DocumentsAreBoundedInDepthAndSize) {
  EXPECT_EQ(printed("e = new CMML(\"top\");\n"
                    "for (i = 0; i < 300; i += 1) {\n"
                    "  n = e.addSubItem(\"d\");\n"
                    "  if (n == null) break;\n"
                    "  e = n;\n"
                    "}\n"
                    "print(i);\n"),
            Lines{std::to_string(kMaxTagDepth - 1)});
  // A document read from text nests no deeper than tag files may.
  std::string deep;
  for (int i = 0; i < kMaxTagDepth + 5; ++i) deep += "<d>";
  EXPECT_EQ(printed("print(cmml(\"" + deep + "\").isValid());\n"), Lines{"0"});

  CmmlDocuments documents;
  TCmmlElement* root = documents.Add(std::make_unique<TSGML>("r"));
  ASSERT_TRUE(root);
  std::string big(CmmlDocuments::kMostBytes / 2, 'v');
  EXPECT_TRUE(documents.SetAttr(*root, "a", big));
  EXPECT_TRUE(documents.SetAttr(*root, "a", big));  // replacing costs nothing more
  EXPECT_FALSE(documents.SetAttr(*root, "b", big));
  EXPECT_TRUE(documents.SetAttr(*root, "a", ""));
  EXPECT_TRUE(documents.SetAttr(*root, "b", big));
  // Names the text form cannot hold are refused: they would be written as markup.
  EXPECT_FALSE(documents.SetAttr(*root, "x=\"1\"/><link src", "v"));
  EXPECT_FALSE(documents.SetAttr(*root, "my name", "v"));
  EXPECT_FALSE(documents.SetAttr(*root, "", "v"));
  EXPECT_FALSE(documents.SetTagName(*root, "r><evil"));
  EXPECT_TRUE(documents.SetTagName(*root, "Row_2"));
  EXPECT_EQ(root->element.TagName(), "Row_2");
  documents.Drop(*root);
  EXPECT_EQ(documents.documents(), 0u);
  EXPECT_EQ(documents.elements(), 0u);
}
