// Class files with the script compiler: what a class restored from its class file
// counts as in the initialisation passes.
#include "resources/kernel_world.h"

#include "platform/files.h"
#include "resources/cache_bundle.h"
#include "resources/class_file.h"

#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/tag_dispatch.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using ClassCacheTest = KernelWorldTest;

TRTTI* classAt(std::string_view path) {
  return dynamic_cast<TRTTI*>(resourceTree().root->Find(path));
}

}  // namespace

TEST_F(ClassCacheTest, AClassRestoredFromItsClassFileAfterAFailureIsNoLongerFailed) {
  write("B.zunka", "extends Object;\r\n");
  write("A.zunka", "extends Object;\r\nfunction make() { return new B(); }\r\n");
  resourceTree().root->Add(
      ParseResourceText("<resourcelist name=\"t\"><class name=\"B\" src=\"B.zunka\"/>"
                        "<class name=\"A\" src=\"A.zunka\"/></resourcelist>"));
  TResource* list = resourceTree().root->Find("t");
  ASSERT_NO_THROW(list->Initialize());  // both compiled, their class files written
  TRTTI* a = classAt("t.A");

  // Without B, A compiles neither from its class file nor from its source.
  RemoveAt("t.B");
  a->Reset();
  EXPECT_THROW(list->Initialize(), EError);
  EXPECT_TRUE(a->failed);

  // B is back: A's class file serves again, and A counts as compiled.
  list->Add(ParseResourceText("<class name=\"B\" src=\"B.zunka\"/>"));
  console.clear();
  EXPECT_NO_THROW(list->Initialize());
  EXPECT_TRUE(a->compiled);
  EXPECT_FALSE(a->failed);
  EXPECT_EQ(countContaining(console.logLines, "not a valid Class File"), 0);
}

// Class files read through a bundle (cache_bundle.h): a list of two classes
// loaded the way the kernel boot loads its own.
class ClassBundleTest : public KernelWorldTest {
 protected:
  void SetUp() override {
    KernelWorldTest::SetUp();
    write("B.zunka", "extends Object;\r\nfunction one() { return 1; }\r\n");
    write("A.zunka", "extends Object;\r\nfunction make() { return new B(); }\r\n");
    resourceTree().root->Add(
        ParseResourceText("<resourcelist name=\"t\"><class name=\"B\" src=\"B.zunka\"/>"
                          "<class name=\"A\" src=\"A.zunka\"/></resourcelist>"));
    bundlePath = ClassFileBundlePath("t");
  }

  // Loads both classes afresh through the bundle, which is then saved; gives the
  // number of files it was read with.
  size_t load() {
    for (const char* name : {"t.A", "t.B"}) classAt(name)->Reset();
    CacheBundle bundle(bundlePath);
    bundle.Activate();
    resourceTree().root->Find("t")->Initialize();
    EXPECT_TRUE(bundle.Save());
    return bundle.size();
  }
  void removeSingleFiles() {
    for (const char* name : {"t.A", "t.B"}) platform::deleteFile(classAt(name)->ClassFileName());
  }
  bool anySingleFile() {
    return platform::fileExists(classAt("t.A")->ClassFileName()) ||
           platform::fileExists(classAt("t.B")->ClassFileName());
  }
  std::string bundleBytes() {
    std::string bytes;
    platform::readFile(bundlePath, bytes);
    return bytes;
  }

  std::string bundlePath;
};

TEST_F(ClassBundleTest, ClassesLoadFromTheBundleWithoutTheirSingleFiles) {
  EXPECT_EQ(load(), 0u);
  ASSERT_TRUE(anySingleFile());
  removeSingleFiles();
  EXPECT_EQ(load(), 2u);
  EXPECT_TRUE(classAt("t.A")->compiled && classAt("t.B")->compiled);
  EXPECT_FALSE(anySingleFile()) << "compiled again";
  EXPECT_TRUE(console.errors.empty());
}

TEST_F(ClassBundleTest, AnEditedSourceIsCompiledAndTheBundleRewritten) {
  load();
  write("B.zunka", "extends Object;\r\nfunction one() { return 1; }\r\nfunction two() {}\r\n");
  load();
  EXPECT_NE(classAt("t.B")->FindMethodByName("two"), nullptr);
  removeSingleFiles();
  EXPECT_EQ(load(), 2u);
  EXPECT_NE(classAt("t.B")->FindMethodByName("two"), nullptr);
  EXPECT_FALSE(anySingleFile()) << "the bundle kept the old class file";
}

TEST_F(ClassBundleTest, ABundleIsWrittenOnlyWhenItNoLongerHoldsWhatWasRead) {
  load();
  EXPECT_EQ(load(), 2u);
  // Unchanged: not written again, so a marker put in its place after it was read stays.
  {
    for (const char* name : {"t.A", "t.B"}) classAt(name)->Reset();
    CacheBundle bundle(bundlePath);
    bundle.Activate();
    resourceTree().root->Find("t")->Initialize();
    ASSERT_TRUE(platform::writeFile(bundlePath, "marker"));
    EXPECT_TRUE(bundle.Save());
  }
  EXPECT_EQ(bundleBytes(), "marker");
  // The marker is no bundle: the single files are read, and the bundle written anew.
  EXPECT_EQ(load(), 0u);
  EXPECT_EQ(CacheBundle(bundlePath).size(), 2u);
}

// Single files of any length are noted while others follow (a file short enough
// to be held inside its string once moved would be read back from freed memory).
TEST_F(ClassBundleTest, ShortDamagedSingleFilesAreReplacedInTheBundle) {
  load();
  for (const char* bytes : {"", "x", "0123456789abcde", "0123456789abcdef0"}) {
    platform::deleteFile(bundlePath);
    ASSERT_TRUE(platform::writeFile(classAt("t.B")->ClassFileName(), bytes));
    EXPECT_EQ(load(), 0u);
    removeSingleFiles();
    EXPECT_EQ(load(), 2u) << bytes;
    EXPECT_FALSE(anySingleFile()) << "the bundle kept the damaged file: " << bytes;
  }
  // A file whose class cannot compile is left as it was read, and bundled so.
  write("B.zunka", "extends Object;\r\nfunction broken( {\r\n");
  platform::deleteFile(bundlePath);
  ASSERT_TRUE(platform::writeFile(classAt("t.B")->ClassFileName(), "x"));
  for (const char* name : {"t.A", "t.B"}) classAt(name)->Reset();
  {
    CacheBundle bundle(bundlePath);
    bundle.Activate();
    EXPECT_THROW(resourceTree().root->Find("t")->Initialize(), EError);
    EXPECT_TRUE(bundle.Save());
  }
  CacheBundle saved(bundlePath);
  std::string_view bytes;
  ASSERT_TRUE(saved.serve(classAt("t.B")->ClassFileName(), bytes));
  EXPECT_EQ(bytes, "x");
}

TEST_F(ClassBundleTest, EveryCutOrFlippedByteOfTheBundleIsHarmless) {
  load();
  const std::string good = bundleBytes();
  for (size_t cut = 0; cut < good.size(); cut += 41) {
    ASSERT_TRUE(platform::writeFile(bundlePath, good.substr(0, cut)));
    EXPECT_EQ(CacheBundle(bundlePath).size(), 0u) << cut;
  }
  // A flip in a length, a path or a class file: the bundle or the class file's own
  // digest refuses it, the class comes from its single file or its source, and
  // the bundle is written sound again.
  for (size_t at = 0; at < good.size(); at += 53) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x24);
    ASSERT_TRUE(platform::writeFile(bundlePath, bad));
    load();
    EXPECT_TRUE(classAt("t.A")->compiled && classAt("t.B")->compiled) << at;
    EXPECT_EQ(CacheBundle(bundlePath).size(), 2u) << at;
  }
  EXPECT_TRUE(console.errors.empty());
}
