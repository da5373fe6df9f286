#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "platform/files.h"
#include "support/temp_dir.h"

using namespace zunka;
using namespace zunka::platform;

namespace {

void setModificationTime(const std::string& host, time_t seconds, long nanoseconds) {
  timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
}

}  // namespace

TEST(Files, SystemPathsMapToHostPathsAndBack) {
  EXPECT_EQ(systemPath("/home/user/game"), "\\home\\user\\game");
  EXPECT_EQ(systemPath("/"), "\\");
  // Only a leading backslash makes a path absolute; "." and empty components go,
  // ".." stays, either slash separates, and a drive prefix is ignored.
  const std::pair<const char*, const char*> cases[] = {
      {"\\nonexistent_zunka\\a\\b.cmml", "/nonexistent_zunka/a/b.cmml"},
      {"C:\\nonexistent_zunka\\.\\x", "/nonexistent_zunka/x"},
      {"d:\\nonexistent_zunka\\\\a\\", "/nonexistent_zunka/a"},
      {"\\nonexistent_zunka/a\\..\\b", "/nonexistent_zunka/a/../b"},
      {"\\\\nonexistent_zunka", "/nonexistent_zunka"},
      {"nonexistent_zunka\\a", "nonexistent_zunka/a"},
      {"/nonexistent_zunka/a", "nonexistent_zunka/a"},
      {".\\nonexistent_zunka", "nonexistent_zunka"},
      {"\\", "/"},
      {"", "."},
      {".", "."},
      {"C:", "."},
  };
  for (const auto& [system, host] : cases) EXPECT_EQ(hostPath(system), host) << system;
}

TEST(Files, ComponentsMatchWithoutRegardToCase) {
  zunka::testing::TempDir dir;
  std::string kernel = dir.system() + "\\Kernel";
  ASSERT_TRUE(makeDirectory(kernel + "\\images"));
  ASSERT_TRUE(writeFile(kernel + "\\images\\404.bmp", "BM"));
  std::string bytes;
  ASSERT_TRUE(readFile(dir.system() + "\\kernel\\IMAGES\\404.BMP", bytes));
  EXPECT_EQ(bytes, "BM");
  EXPECT_EQ(hostPath(dir.system() + "\\KERNEL\\images\\404.bmp"),
            dir.host() + "/Kernel/images/404.bmp");
  EXPECT_TRUE(fileExists(dir.system() + "\\kernel\\images\\404.bmp"));
  EXPECT_TRUE(directoryExists(dir.system() + "\\KERNEL"));
  EXPECT_FALSE(fileExists(dir.system() + "\\KERNEL"));
  // The age of a file reached by another spelling is the age of that file, its
  // bytes digested too.
  std::string exact = kernel + "\\images\\404.bmp";
  std::string other = dir.system() + "\\KERNEL\\Images\\404.bmp";
  EXPECT_EQ(fileAge(other), fileAge(exact));
  setModificationTime(hostPath(exact), 1700000000, 100);
  int32_t before = fileAge(other);
  int fd = ::open(hostPath(exact).c_str(), O_WRONLY);  // same file, size and time
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "BN", 2, 0), 2);
  ::close(fd);
  setModificationTime(hostPath(exact), 1700000000, 100);
  EXPECT_NE(fileAge(other), before);
  EXPECT_EQ(fileAge(other), fileAge(exact));
  // A new file in a directory spelled another way lands in the existing directory.
  ASSERT_TRUE(writeFile(dir.system() + "\\kernel\\new.txt", "x"));
  EXPECT_EQ(listDirectory(kernel), (std::vector<std::string>{"images", "new.txt"}));
  EXPECT_EQ(listDirectory(kernel, EntryKind::Files), std::vector<std::string>{"new.txt"});
  EXPECT_EQ(listDirectory(kernel, EntryKind::Directories), std::vector<std::string>{"images"});
}

// A directory's first search reads its entries without keeping them; from the
// second on they are listed and kept until the directory changes. Every way
// finds the same entries.
TEST(Files, SearchesWithoutRegardToCaseAgreeBeforeAndAfterTheDirectoryIsListed) {
  zunka::testing::TempDir dir;
  ASSERT_TRUE(writeFile(dir.system() + "\\Tones.WDT", "t"));
  ASSERT_TRUE(writeFile(dir.system() + "\\other.txt", "o"));
  for (int search = 0; search < 3; ++search) {
    EXPECT_EQ(hostPath(dir.system() + "\\tones.wdt"), dir.host() + "/Tones.WDT") << search;
    EXPECT_FALSE(fileExists(dir.system() + "\\missing.wdt")) << search;
    EXPECT_TRUE(fileExists(dir.system() + "\\OTHER.TXT")) << search;
  }
  // Changed behind the player's back: the kept listing is stale.
  ASSERT_EQ(::rename((dir.host() + "/Tones.WDT").c_str(), (dir.host() + "/TONES.wdt").c_str()), 0);
  setModificationTime(dir.host(), 1700000000, 5);
  for (int search = 0; search < 3; ++search)
    EXPECT_EQ(hostPath(dir.system() + "\\tones.wdt"), dir.host() + "/TONES.wdt") << search;
  ASSERT_EQ(::unlink((dir.host() + "/TONES.wdt").c_str()), 0);
  setModificationTime(dir.host(), 1700000000, 6);
  EXPECT_FALSE(fileExists(dir.system() + "\\tones.wdt"));
  EXPECT_TRUE(fileExists(dir.system() + "\\Other.txt"));
}

TEST(Files, ShiftJisNamesAreHostUtf8Names) {
  zunka::testing::TempDir dir;
  std::string name = "\x95\x5c\x83\x5c.cmml";  // 表ソ.cmml in Shift_JIS
  ASSERT_TRUE(writeFile(dir.system() + "\\" + name, "page"));
  EXPECT_EQ(hostPath(dir.system() + "\\" + name), dir.host() + "/\xe8\xa1\xa8\xe3\x82\xbd.cmml");
  EXPECT_EQ(listDirectory(dir.system()), std::vector<std::string>{name});
  // A directory whose name ends in a character with the second byte 5C keeps
  // its separator on the way back to the system form.
  std::string host = dir.host() + "/\xe3\x82\xbd\xe8\xa1\xa8/one.cmml";  // ソ表/one.cmml
  EXPECT_EQ(systemPath(host), dir.system() + "\\\x83\x5c\x95\x5c\\one.cmml");
  EXPECT_EQ(hostPath(systemPath(host)), host);
}

TEST(Files, AgeStampsFollowEveryChange) {
  zunka::testing::TempDir dir;
  std::string file = dir.write("a.zunka", "one");
  std::string host = hostPath(file);
  setModificationTime(host, 1700000000, 100);
  int32_t first = fileAge(file);
  EXPECT_EQ(fileAge(file), first);
  setModificationTime(host, 1700000000, 200);  // the same second
  EXPECT_NE(fileAge(file), first);
  int32_t second = fileAge(file);
  ASSERT_TRUE(writeFile(file, "two"));  // same size, time put back
  setModificationTime(host, 1700000000, 200);
  EXPECT_NE(fileAge(file), second);
  EXPECT_EQ(fileAge(dir.system() + "\\missing"), -1);
}

// The stamps that tell whether a class source changed since it was read: every
// field a rewrite moves counts, and they come from the clock wallClockNs reads.
TEST(Files, StampsTellFilesApartByTimesSizeAndIdentity) {
  zunka::testing::TempDir dir;
  std::string file = dir.write("a.zunka", "one");
  std::string host = hostPath(file);
  std::optional<FileStamp> first = readableFileStamp(file, 100);
  ASSERT_TRUE(first);
  EXPECT_LE(first->changedNs, wallClockNs());
  EXPECT_EQ(first->size, 3);
  EXPECT_EQ(readableFileStamp(file, 100), first);
  // The case-insensitive lookup finds the same file.
  EXPECT_EQ(readableFileStamp(dir.system() + "\\A.ZUNKA", 100), first);

  setModificationTime(host, 1700000000, 100);
  std::optional<FileStamp> touched = readableFileStamp(file, 100);
  ASSERT_TRUE(touched);
  EXPECT_NE(touched, first);
  setModificationTime(host, 1700000000, 200);  // the same second
  EXPECT_NE(readableFileStamp(file, 100), touched);
  EXPECT_GE(readableFileStamp(file, 100)->changedNs, first->changedNs);

  // Rewritten in place with as many bytes, its time put back: the change time tells.
  std::optional<FileStamp> kept = readableFileStamp(file, 100);
  usleep(20000);  // past a coarse clock's tick
  std::ofstream(host, std::ios::binary | std::ios::trunc) << "owt";
  setModificationTime(host, 1700000000, 200);
  std::optional<FileStamp> rewritten = readableFileStamp(file, 100);
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(rewritten->inode, kept->inode);
  EXPECT_EQ(rewritten->modifiedNs, kept->modifiedNs);
  EXPECT_NE(rewritten, kept);

  // Replaced by another file of the same size and times: a new identity.
  std::optional<FileStamp> before = readableFileStamp(file, 100);
  std::string other = dir.write("b.zunka", "two");
  setModificationTime(hostPath(other), 1700000000, 200);
  ASSERT_TRUE(moveFile(other, file));
  std::optional<FileStamp> replaced = readableFileStamp(file, 100);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced->modifiedNs, before->modifiedNs);
  EXPECT_NE(replaced->inode, before->inode);
  EXPECT_NE(replaced, before);

  ASSERT_TRUE(writeFile(file, "three"));
  EXPECT_EQ(readableFileStamp(file, 100)->size, 5);
}

TEST(Files, OnlyRegularFilesWithinTheBoundThatMayBeReadAreStamped) {
  zunka::testing::TempDir dir;
  std::string file = dir.write("a.zunka", "12345");
  EXPECT_TRUE(readableFileStamp(file, 5));
  EXPECT_FALSE(readableFileStamp(file, 4));
  EXPECT_FALSE(readableFileStamp(dir.system(), 1 << 20));
  EXPECT_FALSE(readableFileStamp(dir.system() + "\\missing", 1 << 20));
  // Closed to everyone: only the superuser may still read it.
  ASSERT_EQ(chmod(hostPath(file).c_str(), 0), 0);
  EXPECT_EQ(readableFileStamp(file, 5).has_value(), geteuid() == 0);
  ASSERT_EQ(chmod(hostPath(file).c_str(), 0400), 0);
  EXPECT_TRUE(readableFileStamp(file, 5));
}

// Files are read in place with one read call where the size holds; every size
// comes back whole, and so do files whose stated size is not their content (the
// kernel's own files claim 0 bytes).
TEST(Files, FilesOfEverySizeReadWhole) {
  zunka::testing::TempDir dir;
  for (size_t size :
       {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537), size_t(1 << 20) + 3}) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = char((i * 2654435761u) >> 13);
    std::string file = dir.write("f" + std::to_string(size), content);
    std::string bytes = "left over";
    ASSERT_TRUE(readFile(file, bytes)) << size;
    EXPECT_TRUE(bytes == content) << size;
    EXPECT_FALSE(readFile(file, bytes, size ? size - 1 : 0) && size) << size;
  }
  std::string status;
  ASSERT_TRUE(readFile(systemPath("/proc/self/status"), status));
  struct stat st;
  ASSERT_EQ(::stat("/proc/self/status", &st), 0);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(status.rfind("Name:", 0), 0u);
  EXPECT_NE(status.find("\nPid:"), std::string::npos);
}

TEST(Files, CopyMoveDelete) {
  zunka::testing::TempDir dir;
  std::string a = dir.write("a.txt", "A");
  EXPECT_TRUE(copyFile(a, dir.system() + "\\B.txt"));
  EXPECT_TRUE(moveFile(dir.system() + "\\b.TXT", dir.system() + "\\c.txt"));
  std::string bytes;
  EXPECT_TRUE(readFile(dir.system() + "\\c.txt", bytes));
  EXPECT_EQ(bytes, "A");
  EXPECT_TRUE(deleteFile(a));
  EXPECT_FALSE(fileExists(a));
  EXPECT_FALSE(readFile(a, bytes));
  EXPECT_EQ(listDirectory(dir.system()), std::vector<std::string>{"c.txt"});
  EXPECT_FALSE(currentDirectory().empty());
  EXPECT_EQ(executableDirectory().rfind("\\", 0), 0u);
}

namespace {

// Only regular files are read: a device never ends, a FIFO would block for good.
TEST(Files, OnlyRegularFilesAreReadAndNeverWithoutBound) {
  zunka::testing::TempDir dir;
  std::string bytes = "left over";
  EXPECT_FALSE(zunka::platform::readFile(zunka::platform::systemPath("/dev/zero"), bytes));
  EXPECT_TRUE(bytes.empty());
  std::string fifo = dir.host() + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(zunka::platform::readFile(zunka::platform::systemPath(fifo), bytes));
  EXPECT_FALSE(zunka::platform::readFile(dir.system(), bytes));  // a directory
  std::string file = dir.write("plain.txt", "abc");
  ASSERT_TRUE(zunka::platform::readFile(file, bytes));
  EXPECT_EQ(bytes, "abc");
  // Past the bound: refused, without reading it all.
  std::string large = dir.host() + "/large";
  int fd = ::open(large.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t(zunka::platform::kLargestReadFile + 1)), 0);
  ::close(fd);
  EXPECT_FALSE(zunka::platform::readFile(zunka::platform::systemPath(large), bytes));
  // Each kind of file has a bound of its own, never above the general one.
  EXPECT_FALSE(zunka::platform::readFile(file, bytes, 2));
  EXPECT_TRUE(zunka::platform::readFile(file, bytes, 3));
  EXPECT_FALSE(zunka::platform::readFile(zunka::platform::systemPath(large), bytes,
                                         zunka::platform::kLargestReadFile + 2));
}

}  // namespace
