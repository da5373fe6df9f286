// The file natives as scripts use them, through the kernel's FileReader,
// FileWriter, ResourceReader, ResourceWriter, BinWriter and BinReader and the
// Object natives: round trips, names, the guarded header, and every way out of the
// folders a script may use (names, absolute paths, symbolic links).
#include <unistd.h>

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/file_natives.h"
#include "resources/files_folder.h"
#include "resources/guarded_file.h"
#include "resources/kernel_world.h"
#include "resources/resource_list.h"
#include "resources/resource_stream_natives.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/stream_table.h"
#include "resources/tag_dispatch.h"
#include "support/host_tool.h"
#include "support/native_call.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

class FileNatives : public KernelWorldTest {
 protected:
  void SetUp() override {
    KernelWorldTest::SetUp();
    platform::makeDirectory(path("game"));
    resourceTree().workDir = path("game");
  }
  // What the statements print (they must run to their end). A call cannot follow
  // `new X(...)` directly, so the statements make their streams through helpers.
  std::vector<std::string> printed(std::string_view statements) {
    console.clear();
    std::string helpers =
        "function fileReader(n) { var o; o = new FileReader(n); return o; }\n"
        "function fileWriter(n) { var o; o = new FileWriter(n); return o; }\n"
        "function resourceReader(p) { var o; o = new ResourceReader(p); return o; }\n"
        "function resourceWriter(p) { var o; o = new ResourceWriter(p); return o; }\n"
        "function binReader(t) { var o; o = new BinReader(t); return o; }\n";
    EXPECT_EQ(run(helpers + std::string(statements)), 0)
        << (console.errors.empty() ? "" : console.errors[0]);
    return console.printed;
  }
  std::string file(std::string_view relative) {
    std::string bytes;
    return platform::readFile(path(relative), bytes) ? bytes : "(missing)";
  }
  void link(const std::string& target, std::string_view relative) {
    std::string host = platform::hostPath(path(relative));
    ASSERT_EQ(::symlink(target.c_str(), host.c_str()), 0) << host;
  }
};

using Lines = std::vector<std::string>;

// A path written as a script string literal.
std::string literal(std::string_view path) {
  std::string out = "\"";
  for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out + "\"";
}

}  // namespace

TEST_F(FileNatives, TextAndBytesGoThroughTheFilesFolderAndComeBack) {
  EXPECT_EQ(printed("w = new FileWriter(\"notes.txt\");\n"
                    "print(w.isOpen());\n"
                    "w.writeText(\"one\\r\\ntwo\");\n"
                    "w.writeByte(10);\n"
                    "w.writeByte(256 + 65);\n"
                    "w.writeText(12);\n"
                    "print(w.close());\n"
                    "print(w.close());\n"
                    "r = new FileReader(\"notes.txt\");\n"
                    "while (!r.eof()) print(r.readLine());\n"
                    "print(r.readLine());\n"
                    "r.close();\n"
                    "print(r.readByte());\n"
                    "print(r.eof());\n"),
            (Lines{"1", "1", "0", "one", "two", "A12", "null", "null", "1"}));
  EXPECT_EQ(file("game\\files\\notes.txt"), "one\r\ntwo\nA12");

  EXPECT_EQ(printed("r = new FileReader(\"notes.txt\");\n"
                    "s = \"\";\n"
                    "b = r.readByte();\n"
                    "while (b != null) { s = s + b + \",\"; b = r.readByte(); }\n"
                    "print(s);\n"
                    "print(fileReader(\"none.txt\").isOpen());\n"),
            (Lines{"111,110,101,13,10,116,119,111,10,65,49,50,", "0"}));
}

TEST_F(FileNatives, NamesLoseSeparatorsAndDrivesAndAnEmptyNameIsUntitled) {
  EXPECT_EQ(printed("w = new FileWriter(\"a\\\\b\"); w.writeText(1); w.close();\n"
                    "w = new FileWriter(\"C:/x:y\"); w.writeText(2); w.close();\n"
                    "w = new FileWriter(\"\"); w.writeText(3); w.close();\n"
                    "print(fileReader(\"untitled\").readLine());\n"
                    "print(fileReader(\"\\\\a/b\").readLine());\n"),
            (Lines{"3", "1"}));
  EXPECT_EQ(file("game\\files\\ab"), "1");
  EXPECT_EQ(file("game\\files\\Cxy"), "2");
  EXPECT_EQ(file("game\\files\\untitled"), "3");
  // A double-byte character whose second byte looks like "\" keeps it; a stray lead
  // byte before "/" or ":" does not shield them (no character ends that way), and
  // goes with them, so that it cannot pair with the byte after them: here it would
  // have made the "\" of "\xF0\x5C" a separator.
  EXPECT_EQ(CleanFileName("\x83\x5C\\x"), "\x83\x5Cx");
  EXPECT_EQ(CleanFileName("\x81/..\x81:x"), "..x");
  EXPECT_EQ(CleanFileName("\xF0/\xF0\x5C\\A"),
            "\xF0\x5C"
            "A");
  std::string found = FilesFolderPath("\xF0/\xF0\x5C\\A", path("game"));
  EXPECT_EQ(found, path("game") +
                       "\\files\\\xF0\x5C"
                       "A");
  EXPECT_EQ(platform::findSjisChar(found, '\\', (path("game") + "\\files\\").size()),
            std::string::npos);
}

TEST_F(FileNatives, NoNameReachesOutOfTheFilesFolder) {
  std::string pageDir = path("game");
  for (std::string_view name : {"", ".", "..", "..\\..\\x", "\\etc\\passwd", "C:\\", "/"})
    EXPECT_TRUE(FilesFolderPath(name, pageDir).empty() ||
                FilesFolderPath(name, pageDir).starts_with(pageDir + "\\files\\"))
        << name;
  write("game\\files\\keep.txt", "keep");
  write("game\\secret.txt", "secret");
  write("x", "x");
  EXPECT_EQ(printed("print(fileExists(\"..\\\\..\\\\x\"));\n"
                    "print(fileExists(\"..\\\\secret.txt\"));\n"
                    "print(fileExists(" +
                    literal(path("game\\secret.txt")) +
                    "));\n"
                    "print(fileReader(\"..\\\\secret.txt\").isOpen());\n"
                    "print(fileExists(\"keep.txt\"));\n"
                    "print(deleteFile(\".\") + deleteFile(\"..\") + deleteFile(\"\"));\n"
                    "print(moveFile(\"keep.txt\", \"..\") + moveFile(\"..\", \"k\"));\n"
                    "print(moveFile(\"keep.txt\", \"keep.txt\"));\n"
                    "print(moveFile(\"keep.txt\", \"..\\\\..\\\\x\"));\n"
                    "print(fileExists(\"....x\"));\n"),
            (Lines{"0", "0", "0", "0", "1", "0", "0", "0", "1", "1"}));
  // "..\..\x" was cleaned to the name "....x" inside the folder; nothing outside moved.
  EXPECT_EQ(file("game\\files\\....x"), "keep");
  EXPECT_EQ(file("x"), "x");
  EXPECT_EQ(file("game\\secret.txt"), "secret");
  EXPECT_TRUE(platform::directoryExists(path("game\\files")));
}

TEST_F(FileNatives, SymbolicLinksOutOfTheFolderAreRefusedAndLinksWithinFollowed) {
  TempDir outside;
  std::string secret = outside.write("secret", "secret");
  write("game\\files\\real.txt", "real");
  link(outside.host() + "/secret", "game\\files\\out");
  link(platform::hostPath(path("game\\files\\real.txt")), "game\\files\\in");
  link(outside.host() + "/nothing", "game\\files\\dangling");
  EXPECT_EQ(printed("print(fileExists(\"out\") + \",\" + fileExists(\"in\"));\n"
                    "print(fileReader(\"out\").isOpen());\n"
                    "print(fileReader(\"in\").readLine());\n"
                    "print(fileWriter(\"out\").isOpen() + fileWriter(\"dangling\").isOpen());\n"
                    "print(deleteFile(\"out\") + moveFile(\"out\", \"stolen\"));\n"
                    "print(moveFile(\"real.txt\", \"out\"));\n"
                    "print(fileExists(\"dangling\"));\n"),
            (Lines{"0,1", "0", "real", "0", "0", "0", "0"}));
  EXPECT_EQ(file(outside.system() + "\\secret"), "secret");
  EXPECT_EQ(file("game\\files\\real.txt"), "real");

  // A folder `files` that is itself a link out of the page folder is refused whole.
  platform::makeDirectory(path("other"));
  link(outside.host(), "other\\files");
  resourceTree().workDir = path("other");
  EXPECT_EQ(printed("print(fileExists(\"secret\"));\n"
                    "print(fileReader(\"secret\").isOpen() + fileWriter(\"new\").isOpen());\n"
                    "print(deleteFile(\"secret\"));\n"),
            (Lines{"0", "0", "0"}));
  EXPECT_EQ(file(outside.system() + "\\secret"), "secret");
  EXPECT_FALSE(platform::fileExists(outside.system() + "\\new"));
}

TEST_F(FileNatives, AWriterLeavesTheOldFileWholeUntilItIsClosedAndSaysWhenItFails) {
  write("game\\files\\save.txt", "old");
  EXPECT_EQ(printed("w = new FileWriter(\"save.txt\");\n"
                    "w.writeText(\"new\");\n"
                    "print(fileReader(\"save.txt\").readLine());\n"
                    "print(w.close());\n"
                    "print(fileReader(\"save.txt\").readLine());\n"),
            (Lines{"old", "1", "new"}));

  // The folder goes while a writer is open: the close says so.
  EXPECT_EQ(printed("$w = new FileWriter(\"doomed.txt\");\n$w.writeText(\"x\");\n"), Lines{});
  for (const std::string& name : platform::listDirectory(path("game\\files")))
    platform::deleteFile(path("game\\files\\" + name));
  platform::deleteFile(path("game\\files"));
  EXPECT_EQ(printed("print($w.close());\n"), Lines{"0"});
  EXPECT_EQ(countContaining(console.logLines, "doomed.txtを書き込めませんでした"), 1);
}

TEST_F(FileNatives, AWriterDroppedWithoutCloseIsClosedByItsObject) {
  EXPECT_EQ(printed("w = new FileWriter(\"dropped.txt\");\n"
                    "w.writeText(\"kept\");\n"
                    "r = new ResourceWriter(\"dropped.dat\");\n"
                    "r.writeInt(7);\n"
                    "w = null;\n"
                    "r = null;\n"
                    "print(fileExists(\"dropped.txt\"));\n"
                    // New objects take the records of the dropped ones, which go first.
                    "for (i = 0; i < 4; i += 1) { o = new FileWriter(\"o\" + i); o.close(); }\n"
                    "for (i = 0; i < 4; i += 1) { o = new ResourceWriter(\"o\" + i); o.close(); }\n"
                    "print(fileExists(\"dropped.txt\"));\n"),
            (Lines{"0", "1"}));
  EXPECT_EQ(file("game\\files\\dropped.txt"), "kept");
  EXPECT_EQ(file("game\\dropped.dat").substr(96), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(streamTable().openFiles(), 0u);
}

TEST_F(FileNatives, GuardedFilesStartWithTheHeaderAndHoldLittleEndianIntegers) {
  EXPECT_EQ(printed("w = new ResourceWriter(\"files\\\\s.dat\");\n"
                    "print(w.isOpen());\n"
                    "w.writeInt(1);\n"
                    "w.writeInt(-2);\n"
                    "w.writeByte(300);\n"
                    "print(w.close());\n"
                    "r = new ResourceReader(\"files\\\\s.dat\");\n"
                    "print(r.readInt() + \",\" + r.readInt() + \",\" + r.readByte());\n"
                    "print(r.readInt());\n"
                    "print(r.readByte());\n"
                    "r.close();\n"),
            (Lines{"1", "1", "1,-2,44", "null", "null"}));
  EXPECT_EQ(file("game\\files\\s.dat"),
            "ZUNKA_ACCESSIBLE_FILE_0001____\r\nREADABLE_WRITEABLE____________\r\n"
            "MEMORYCARD_0001_______________\r\n" +
                std::string("\x01\0\0\0\xFE\xFF\xFF\xFF\x2C", 9));

  // Only the first line's prefix counts; a file that is nothing but it is empty.
  write("game\\other.dat", "ZUNKA_ACCESSIBLE_FILE_9999____\r\nsomething else\r\n\x07");
  write("game\\short.dat", "ZUNKA_ACCESSIBLE_FILE");
  write("game\\shorter.dat", "ZUNKA_ACCESS");
  write("game\\plain.dat",
        "just some text that is long enough to fill a header of ninety-six bytes");
  EXPECT_EQ(printed("print(resourceReader(\"other.dat\").isOpen());\n"
                    "print(resourceReader(\"short.dat\").readByte());\n"
                    "print(resourceReader(\"shorter.dat\").isOpen());\n"
                    "print(resourceReader(\"plain.dat\").isOpen());\n"
                    "print(resourceWriter(\"plain.dat\").isOpen());\n"
                    "print(resourceReader(\"missing.dat\").isOpen());\n"),
            (Lines{"1", "null", "0", "0", "0", "0"}));
  EXPECT_EQ(countContaining(console.logLines, "not a valid file. read aborted"), 2);
  EXPECT_EQ(countContaining(console.logLines, "not a valid file. not wrote"), 1);
  EXPECT_EQ(file("game\\plain.dat").substr(0, 9), "just some");
}

TEST_F(FileNatives, GuardedFilesHoldLinesOfTextBesideIntegers) {
  EXPECT_EQ(printed("w = new ResourceWriter(\"t.dat\");\n"
                    "w.writeInt(2);\n"
                    "w.writeText(\"first\\r\\nsecond\\n\");\n"
                    "w.close();\n"
                    "r = new ResourceReader(\"t.dat\");\n"
                    "n = r.readInt();\n"
                    "for (i = 0; i < n; i += 1) print(r.readLine());\n"
                    "print(r.readLine());\n"),
            (Lines{"first", "second", "null"}));
}

TEST_F(FileNatives, MapFilesAreReadWithoutAHeaderAndWrittenWithOne) {
  write("game\\data\\stage.map", std::string("\x05\0\0\0\x09", 5));
  EXPECT_EQ(printed("r = new ResourceReader(\"data\\\\stage.map\");\n"
                    "print(r.readInt() + \",\" + r.readByte() + \",\" + r.readByte());\n"
                    "w = new ResourceWriter(" +
                    literal(path("game\\data\\stage.map")) +
                    ");\n"
                    "w.writeInt(7);\n"
                    "w.close();\n"
                    "r = new ResourceReader(\"data/stage.map\");\n"
                    "print(r.readInt() + \",\" + r.readInt());\n"),
            (Lines{"5,9,", "7,"}));  // null joins as nothing
  EXPECT_EQ(file("game\\data\\stage.map").size(), 100u);
}

TEST_F(FileNatives, GuardedFilesStayInTheProjectFolder) {
  TempDir outside;
  std::string guarded = std::string(kGuardedHeader) + "x";
  outside.write("far.dat", guarded);
  write("near.dat", guarded);  // beside the project folder, not in it
  write("game\\in.dat", guarded);
  link(outside.host() + "/far.dat", "game\\link.dat");
  link(outside.host(), "game\\door");
  std::string far = outside.system() + "\\far.dat";
  EXPECT_EQ(printed("print(resourceReader(" + literal(far) +
                    ").isOpen());\n"
                    "print(resourceReader(\"..\\\\near.dat\").isOpen());\n"
                    "print(resourceReader(\"link.dat\").isOpen());\n"
                    "print(resourceReader(\"door\\\\far.dat\").isOpen());\n"
                    "print(resourceReader(\"sub/../../near.dat\").isOpen());\n"
                    "print(resourceReader(\"in.dat\").isOpen());\n"
                    "print(resourceReader(" +
                    literal(path("game\\in.dat")) +
                    ").isOpen());\n"
                    "print(resourceWriter(" +
                    literal(far) +
                    ").isOpen());\n"
                    "print(resourceWriter(\"door\\\\new.dat\").isOpen());\n"
                    "print(resourceWriter(\"..\\\\new.dat\").isOpen());\n"),
            (Lines{"0", "0", "0", "0", "0", "1", "1", "0", "0", "0"}));
  EXPECT_EQ(countContaining(console.logLines, "not in the project folder. read aborted"), 5);
  EXPECT_EQ(countContaining(console.logLines, "not in the project folder. not wrote"), 3);
  EXPECT_EQ(file(far), guarded);
  EXPECT_FALSE(platform::fileExists(outside.system() + "\\new.dat"));
  EXPECT_FALSE(platform::fileExists(path("new.dat")));
}

TEST_F(FileNatives, AReaderSubclassNamesItsFileThroughGetURL) {
  std::string source =
      write("game\\SaveSlot.zunka",
            "extends ResourceReader;\r\n"
            "constructor SaveSlot(n) { slot = n; super(\"\"); }\r\n"
            "function getURL() { return \"files\\\\slot\" + slot + \".dat\"; }\r\n");
  ResourcePtr made = ParseResourceText("<class name=\"SaveSlot\" src=\"" + source + "\"/>");
  TResource* cls = made.get();
  resourceTree().root->Find("classes")->Add(std::move(made));
  cls->Initialize();
  EXPECT_EQ(printed("w = new ResourceWriter(\"files\\\\slot2.dat\"); w.writeInt(42); w.close();\n"
                    "s = new SaveSlot(2); print(s.readInt());\n"
                    "s = new SaveSlot(3); print(s.isOpen());\n"),
            (Lines{"42", "0"}));
}

TEST_F(FileNatives, BinaryRecordsTravelAsTheBase64OfTheirLittleEndianBytes) {
  std::string expected =
      runHostTool("perl -e 'print pack(\"l<*\", 1, -2, 305419896, -2147483648)' | base64 -w 0", "");
  EXPECT_EQ(
      printed("b = new BinWriter();\n"
              "b.writeInt(1); b.writeInt(-2); b.writeInt(305419896); b.writeInt(-2147483647 - 1);\n"
              "t = b.toBase64();\n"
              "print(t);\n"
              "b.free();\n"
              "print(b.toBase64());\n"
              "r = new BinReader(t);\n"
              "print(r.readInt() + \",\" + r.readInt() + \",\" + r.readInt() + \",\" + "
              "r.readInt() + \",\" + r.readInt());\n"
              "print(binReader(\"AQ\").readInt());\n"
              "print(binReader(\"*?!\").readInt());\n"),
      (Lines{expected, "", "1,-2,305419896,-2147483648,0", "1", "0"}));
}

TEST_F(FileNatives, ClosedAndForgedHandlesDoNothing) {
  write("game\\files\\f.txt", "abc");
  vm::NativeHandler open = findNative(fileReaderNatives(), "_n_FileReader");
  vm::NativeHandler read = findNative(fileReaderNatives(), "_n_read");
  vm::NativeHandler close = findNative(fileReaderNatives(), "_n_close");
  vm::NativeHandler write = findNative(fileWriterNatives(), "_n_write");
  vm::TValue self = vm::TValue::ofInt(-99);
  vm::TValue name = vm::newString("f.txt");
  vm::retain(name);
  vm::TValue reader = callNative(open, self, {vm::TValue::ofInt(0), name});
  vm::release(name);
  ASSERT_EQ(reader.kind, vm::vtHost);
  EXPECT_EQ(callNative(read, self, {reader}).i, 'a');
  // A reader is no writer.
  EXPECT_EQ(callNative(write, self, {reader, vm::TValue::ofInt(1)}).i, -99);
  callNative(close, self, {reader});
  EXPECT_EQ(streamTable().openFiles(), 0u);
  for (vm::TValue stale : {reader, vm::TValue::ofRef(vm::vtHost, reader.ref + 1),
                           vm::TValue::ofRef(vm::vtHost, 0xFFFFFFFF), vm::TValue::ofInt(5)}) {
    EXPECT_EQ(callNative(read, self, {stale}).i, -99);
    EXPECT_EQ(callNative(close, self, {stale}).i, -99);
  }
}
