#include <gtest/gtest.h>

#include "resources/paths.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/text_file.h"
#include "support/temp_dir.h"

using namespace zunka;

TEST(Paths, AbsoluteFormsAreABackslashOrADrive) {
  EXPECT_TRUE(IsAbsolutePath("\\game\\a.cmml"));
  EXPECT_TRUE(IsAbsolutePath("c:\\game"));
  EXPECT_FALSE(IsAbsolutePath("c:game"));
  EXPECT_FALSE(IsAbsolutePath("game\\a"));
  EXPECT_FALSE(IsAbsolutePath(""));
  EXPECT_FALSE(IsAbsolutePath("1:\\x"));
}

TEST(Paths, ParentDirStripsOneComponentAndTheSeparators) {
  EXPECT_EQ(ParentDir("\\a\\b\\c"), "\\a\\b");
  EXPECT_EQ(ParentDir("\\a\\b\\"), "\\a");
  EXPECT_EQ(ParentDir("\\a"), "");
  EXPECT_EQ(ParentDir("C:\\a"), "C:");
  EXPECT_EQ(ParentDir("name"), "");
  EXPECT_EQ(ParentDir(""), "");
  EXPECT_EQ(StripTrailingBackslash("\\a\\\\"), "\\a\\");
}

TEST(Paths, ResolveAppliesComponentsOneByOne) {
  EXPECT_EQ(ResolvePath("x\\y.cmml", "\\game\\"), "\\game\\x\\y.cmml");
  EXPECT_EQ(ResolvePath("..\\kernel\\.\\a", "\\game\\usr"), "\\game\\kernel\\a");
  EXPECT_EQ(ResolvePath("..\\..\\..\\a", "\\g\\u"), "\\a");
  EXPECT_EQ(ResolvePath("\\abs\\a", "\\game"), "\\abs\\a");
  EXPECT_EQ(ResolvePath("D:\\abs", "\\game"), "D:\\abs");
  EXPECT_EQ(ResolvePath("rel", ""), "");
  EXPECT_EQ(ResolvePath("", "\\game"), "");
  EXPECT_EQ(ResolvePath("dir\\", "\\g"), "\\g\\dir");  // a trailing empty piece is dropped
  // Empty pieces inside count, each a separator; all that trail are dropped.
  EXPECT_EQ(ResolvePath("a\\\\b", "\\g"), "\\g\\a\\\\b");
  EXPECT_EQ(ResolvePath("a\\\\\\", "\\g"), "\\g\\a");
  EXPECT_EQ(ResolvePath("a\\\\..\\b", "\\g"), "\\g\\b");
  EXPECT_EQ(ResolvePath(".\\.\\", "\\g\\"), "\\g");
  EXPECT_EQ(ResolvePath("..", "\\g"), "");
}

TEST(Paths, DoubleByteCharactersEndingInBackslashStayWhole) {
  // ソ and 表 end with the byte 5C; they are never separators.
  std::string so = "ソ";
  ASSERT_EQ(so.size(), 2u);
  ASSERT_EQ(so[1], '\\');
  EXPECT_EQ(ParentDir("\\a\\" + so), "\\a");
  EXPECT_EQ(StripTrailingBackslash("\\a\\" + so), "\\a\\" + so);
  EXPECT_EQ(FileNamePart("\\d\\表.cmml"), "表.cmml");
  EXPECT_EQ(ResolvePath("表\\ソ", "\\g"), "\\g\\表\\ソ");
  EXPECT_EQ(SplitPath(so + "\\b"), (std::vector<std::string>{so, "b"}));
  // Letters folded for comparison are never the second byte of a character.
  EXPECT_FALSE(SamePath("\\ア", "\\ダ"));
}

TEST(Paths, InsideAndCommonDirectoriesIgnoreCase) {
  EXPECT_TRUE(IsSameOrInside("\\Game\\Usr\\a.cmml", "\\game\\usr\\"));
  EXPECT_TRUE(IsSameOrInside("\\game\\usr", "\\GAME\\USR"));
  EXPECT_FALSE(IsSameOrInside("\\game\\usr2", "\\game\\usr"));
  EXPECT_TRUE(SamePath("\\a\\B\\", "\\A\\b"));
  EXPECT_EQ(CommonDir("\\g\\usr\\x", "\\g\\kernel"), "\\g");
  EXPECT_EQ(CommonDir("\\g\\usr\\x", "\\G\\usr"), "\\G\\usr");
  EXPECT_EQ(CommonDir("\\g\\usr", "\\g\\usr\\deep"), "\\g\\usr");
  EXPECT_EQ(CommonDir("\\a", "\\b"), "");
  EXPECT_EQ(CommonDir("", "\\b"), "");
}

// Comparing in place agrees with comparing folded copies (foldAsciiCase), for
// names that differ in case, in length, in double-byte characters whose second
// byte is a letter or a backslash, with and without a trailing separator.
TEST(Paths, InsideAndSameAgreeWithComparingFoldedCopies) {
  auto folded = [](std::string_view p) {
    return zunka::platform::foldAsciiCase(StripTrailingBackslash(p));
  };
  auto inside = [&](std::string_view path, std::string_view dir) {
    std::string p = folded(path), d = folded(dir);
    return p == d || (p.size() > d.size() && p.compare(0, d.size(), d) == 0 && p[d.size()] == '\\');
  };
  const std::vector<std::string> names = {"Game",     "game",     "GAM",      "usr2",
                                          "\x95\x5c", "\x82\x41", "\x82\x61", "a.cmml"};
  std::vector<std::string> paths = {"", "\\"};
  for (const std::string& a : names) {
    paths.push_back("\\" + a);
    paths.push_back("\\" + a + "\\");
    for (const std::string& b : names) {
      paths.push_back("\\" + a + "\\" + b);
      paths.push_back(a + "\\" + b + "\\");
    }
  }
  for (const std::string& path : paths)
    for (const std::string& dir : paths) {
      ASSERT_EQ(IsSameOrInside(path, dir), inside(path, dir)) << path << " in " << dir;
      ASSERT_EQ(SamePath(path, dir), folded(path) == folded(dir)) << path << " = " << dir;
    }
}

TEST(Paths, RelativePathClimbsWithDotDot) {
  EXPECT_EQ(RelativePath("\\g\\usr\\a.zunka", "\\g"), "usr\\a.zunka");
  EXPECT_EQ(RelativePath("\\g\\kernel\\a.zunka", "\\g\\usr\\pages"), "..\\..\\kernel\\a.zunka");
  EXPECT_EQ(RelativePath("\\g", "\\g\\"), "");
  EXPECT_EQ(RelativePath("\\g", "\\g\\usr"), "..\\");
  EXPECT_EQ(RelativePath("C:\\other", "D:\\g"), "C:\\other");
  EXPECT_EQ(RelativePath("already\\rel", "\\g"), "already\\rel");
  EXPECT_EQ(RelativePath("", "\\g"), "");
}

TEST(Paths, NamePartsAndDottedResourcePaths) {
  EXPECT_EQ(BaseNameWithoutExt("\\d\\page.v2.cmml"), "page.v2");
  EXPECT_EQ(BaseNameWithoutExt("noext"), "noext");
  EXPECT_EQ(ParentPath("usr.classes.Player"), "usr.classes");
  EXPECT_EQ(LastName("usr.classes.Player"), "Player");
  EXPECT_EQ(ParentPath("usr"), "");
  EXPECT_EQ(LastName("usr"), "usr");
}

// Every line of a file, whatever ends it (CR LF, LF, CR or the end of the file),
// ends in CR LF: checked against perl on texts that mix them.
TEST(JoinFileLines, EndsEveryLineInCrLfAsPerlDoes) {
  zunka::testing::TempDir dir;
  std::vector<std::string> texts = {"",         "a",
                                    "a\r\n",    "a\nb",
                                    "a\rb\r",   "a\r\r\nb\n\n",
                                    "\n\r\n\r", "x\r\n\r\ny",
                                    "\r",       std::string("\x82\xa0\r\n\x82\x5c\n", 8)};
  // Lines long and short, ends of every kind side by side, in a fixed
  // pseudo-random mix.
  const char* const pieces[] = {"\r", "\n", "\r\n", "a", "bcdefghijklmnopqrstuvwxyz0123456789"};
  uint32_t seed = 12345;
  for (int n = 0; n < 8; ++n) {
    std::string text;
    for (int i = 0; i < 40 + 60 * n; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % 5];
    }
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    std::string file = dir.host() + "/text";
    ASSERT_TRUE(zunka::platform::writeFile(zunka::platform::systemPath(file), text));
    std::string command =
        "perl -0777 -pe 's/\\r\\n|\\r|\\n/\\r\\n/g; $_ .= \"\\r\\n\" if length "
        "&& !/\\r\\n\\z/' '" +
        file + "'";
    FILE* perl = popen(command.c_str(), "r");
    ASSERT_TRUE(perl);
    std::string expected;
    char buffer[256];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, perl)) > 0;)
      expected.append(buffer, got);
    ASSERT_EQ(pclose(perl), 0);
    EXPECT_EQ(zunka::JoinFileLines(text), expected) << text;
  }
}
