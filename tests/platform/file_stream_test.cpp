// Host-side containment (symbolic links followed) and files replaced whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/file_stream.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace zunka::platform;
using zunka::testing::TempDir;

namespace {

void link(const std::string& target, const std::string& host) {
  ASSERT_EQ(::symlink(target.c_str(), host.c_str()), 0) << host;
}

std::string contents(const std::string& path) {
  std::string bytes;
  return readFile(path, bytes) ? bytes : "(missing)";
}

}  // namespace

TEST(HostContainment, LinksAreFollowedBeforeJudging) {
  TempDir top, outside;
  std::string in = top.system() + "\\in";
  ASSERT_TRUE(makeDirectory(in + "\\sub"));
  top.write("in\\file", "x");
  top.write("in\\sub\\deep", "x");
  outside.write("secret", "s");
  link(top.host() + "/in/file", top.host() + "/in/inward");
  link(outside.host() + "/secret", top.host() + "/in/outward");
  link(outside.host(), top.host() + "/in/door");
  link(top.host() + "/in/../in/sub", top.host() + "/in/around");
  link(top.host() + "/nowhere", top.host() + "/in/dangling");
  link("loop", top.host() + "/in/loop");

  EXPECT_TRUE(staysInsideOnHost(in + "\\file", in));
  EXPECT_TRUE(staysInsideOnHost(in, in));
  EXPECT_TRUE(staysInsideOnHost(in + "\\sub\\deep", in));
  EXPECT_TRUE(staysInsideOnHost(in + "\\inward", in));
  EXPECT_TRUE(staysInsideOnHost(in + "\\around\\deep", in));
  // Files that do not exist yet are judged by the part that does.
  EXPECT_TRUE(staysInsideOnHost(in + "\\new", in));
  EXPECT_TRUE(staysInsideOnHost(in + "\\new\\newer\\file", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\outward", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\door", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\door\\secret", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\door\\new", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\dangling", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\loop", in));
  EXPECT_FALSE(staysInsideOnHost(top.system(), in));
  EXPECT_FALSE(staysInsideOnHost(top.system() + "\\in2", in));
  // "/" separates folders on the host; a ".." below a missing folder cannot be judged.
  EXPECT_FALSE(staysInsideOnHost(in + "\\sub/../../x", in));
  EXPECT_FALSE(staysInsideOnHost(in + "\\missing\\..\\..\\x", in));
  // The folder itself must exist.
  EXPECT_FALSE(staysInsideOnHost(in + "\\file", top.system() + "\\gone"));
}

TEST(ReplacementFile, TheTargetChangesOnlyWhenCommitted) {
  TempDir dir;
  std::string target = dir.write("save.dat", "old");
  {
    ReplacementFile file;
    ASSERT_TRUE(file.open(target));
    ASSERT_TRUE(file.write("new!", 4));
    EXPECT_EQ(contents(target), "old");
    // A second writer of the same target has a partial file of its own.
    ReplacementFile other;
    ASSERT_TRUE(other.open(target));
    ASSERT_TRUE(other.write("other", 5));
    other.abandon();
    ASSERT_TRUE(file.commit());
  }
  EXPECT_EQ(contents(target), "new!");
  {
    ReplacementFile dropped;
    ASSERT_TRUE(dropped.open(target));
    dropped.write("lost", 4);
  }
  EXPECT_EQ(contents(target), "new!");
  // Nothing is left beside the target.
  EXPECT_EQ(listDirectory(dir.system()), std::vector<std::string>{"save.dat"});

  ReplacementFile fresh;
  std::string created = dir.system() + "\\created.txt";
  ASSERT_TRUE(fresh.open(created));
  EXPECT_FALSE(fileExists(created));
  ASSERT_TRUE(fresh.commit());
  EXPECT_EQ(contents(created), "");
  EXPECT_FALSE(fresh.commit());  // once only

  ReplacementFile nowhere;
  EXPECT_FALSE(nowhere.open(dir.system() + "\\no\\such\\folder\\x"));
  EXPECT_FALSE(nowhere.write("x", 1));
  EXPECT_FALSE(nowhere.commit());
}

TEST(InputFile, ReadsRegularFilesOnly) {
  TempDir dir;
  ASSERT_TRUE(makeDirectory(dir.system() + "\\a"));
  dir.write("a\\b", "bytes");
  InputFile file;
  EXPECT_FALSE(file.open(dir.system() + "\\a"));
  EXPECT_FALSE(file.open(dir.system() + "\\missing"));
  ASSERT_TRUE(file.open(dir.system() + "\\A\\B"));  // components match without regard to case
  char buffer[16];
  EXPECT_EQ(file.read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer, 5), "bytes");
  EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
  // A FIFO or a device is refused at once instead of blocking or reading without end.
  ASSERT_EQ(::mkfifo((dir.host() + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(file.open(dir.system() + "\\pipe"));
  EXPECT_FALSE(file.open("\\dev\\zero"));
  // A file that grows after it was opened is read as it was.
  std::string growing = dir.write("grows", "abc");
  ASSERT_TRUE(file.open(growing));
  std::FILE* more = std::fopen((dir.host() + "/grows").c_str(), "ab");
  ASSERT_TRUE(more);
  std::fputs("defgh", more);
  std::fclose(more);
  EXPECT_EQ(file.read(buffer, sizeof buffer), 3u);
}
