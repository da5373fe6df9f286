// The streams under the file natives: buffered reading and writing, binary
// records, guarded headers, and the table that owns them and keeps them bounded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/file_streams.h"
#include "resources/guarded_file.h"
#include "resources/stream_table.h"
#include "support/temp_dir.h"
#include "vm/host_handles.h"

using namespace zunka;
using zunka::testing::TempDir;

namespace {

std::string contents(const std::string& path) {
  std::string bytes;
  return platform::readFile(path, bytes) ? bytes : "(missing)";
}

std::string pattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
  return bytes;
}

}  // namespace

TEST(FileReader, ReadsEveryByteAcrossBufferRefillsAndThenStops) {
  TempDir dir;
  for (size_t n : {0, 1, 4095, 4096, 4097, 8192, 10000}) {
    std::string bytes = pattern(n);
    std::string path = dir.write("f" + std::to_string(n), bytes);
    TFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::string got;
    while (!reader.AtEnd()) got.push_back(static_cast<char>(reader.Read()));
    EXPECT_EQ(got, bytes) << n;
    EXPECT_EQ(reader.Read(), -1);
    EXPECT_TRUE(reader.AtEnd());

    // Block reads across the buffer's end, in odd sizes.
    TFileReader blocks;
    ASSERT_TRUE(blocks.Open(path));
    std::string joined;
    char piece[333];
    while (size_t got = blocks.Read(piece, sizeof piece)) joined.append(piece, got);
    EXPECT_EQ(joined, bytes) << n;
  }
  TFileReader missing;
  EXPECT_FALSE(missing.Open(dir.system() + "\\nothing"));
  EXPECT_TRUE(missing.AtEnd());
}

TEST(FileReader, LinesEndAtLineFeedsAndLoseEveryCarriageReturn) {
  TempDir dir;
  std::string path = dir.write("lines", "one\r\ntwo\n\r\nth\rree\nlast");
  TFileReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three", "last"}));

  // A line across the buffer's end; a file ending in a line end has no empty last line.
  std::string longLine(5000, 'x');
  TFileReader across;
  ASSERT_TRUE(across.Open(dir.write("long", "a\n" + longLine + "\r\n")));
  ASSERT_TRUE(across.ReadLine(line));
  ASSERT_TRUE(across.ReadLine(line));
  EXPECT_EQ(line, longLine);
  EXPECT_FALSE(across.ReadLine(line));
}

TEST(FileWriter, WritesThroughItsBufferAndReplacesTheFileOnlyWhenClosed) {
  TempDir dir;
  std::string path = dir.write("out", "old");
  std::string bytes = pattern(9000);
  TFileWriter writer;
  ASSERT_TRUE(writer.Open(path));
  for (size_t i = 0; i < 4097; ++i) writer.Write(static_cast<uint8_t>(bytes[i]));
  writer.Write(std::string_view(bytes).substr(4097));
  EXPECT_EQ(contents(path), "old");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(contents(path), bytes);
  EXPECT_EQ(platform::listDirectory(dir.system()), std::vector<std::string>{"out"});

  TFileWriter nowhere;
  EXPECT_FALSE(nowhere.Open(dir.system() + "\\missing\\out"));
  nowhere.Write(1);
  EXPECT_FALSE(nowhere.Close());
}

TEST(BinaryRecords, IntegersAreLittleEndianAndReadingPastTheEndGivesZeroBytes) {
  StreamTable table;
  TBinaryOutputStream* out = table.NewBinaryOutput();
  ASSERT_TRUE(out);
  for (int32_t v : {1, -2, 0x12345678, INT32_MIN}) ASSERT_TRUE(out->WriteInt(v));
  EXPECT_EQ(out->bytes(), std::string("\x01\0\0\0\xFE\xFF\xFF\xFF\x78\x56\x34\x12\0\0\0\x80", 16));

  TBinaryInputStream* in = table.NewBinaryInput(out->bytes() + "\x01\x02");
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadInt(), 1);
  EXPECT_EQ(in->ReadInt(), -2);
  EXPECT_EQ(in->ReadInt(), 0x12345678);
  EXPECT_EQ(in->ReadInt(), INT32_MIN);
  EXPECT_EQ(in->ReadInt(), 0x0201);  // the two bytes left, then zeros
  EXPECT_EQ(in->ReadInt(), 0);
}

TEST(GuardedHeader, OnlyThePrefixOfTheFirstLineCounts) {
  EXPECT_TRUE(IsGuardedHeader(kGuardedHeader));
  std::string others(kGuardedHeader);
  others.replace(32, 30, std::string(30, 'x'));
  others.replace(64, 30, std::string(30, 'y'));
  EXPECT_TRUE(IsGuardedHeader(others));
  EXPECT_TRUE(IsGuardedHeader("ZUNKA_ACCESSIBLE_FILE"));  // a short file may still be one
  EXPECT_FALSE(IsGuardedHeader("ZUNKA_ACCESSIBLE_FIL"));
  EXPECT_FALSE(IsGuardedHeader("zunka_accessible_file_0001"));
  EXPECT_FALSE(IsGuardedHeader(std::string("ZUNKA_\0ACCESSIBLE_FILE", 22)));
  EXPECT_FALSE(IsGuardedHeader(" ZUNKA_ACCESSIBLE_FILE"));
  EXPECT_FALSE(IsGuardedHeader(""));
  EXPECT_TRUE(IsMapFile("\\g\\stage1.map"));
  EXPECT_TRUE(IsMapFile("\\g\\STAGE1.MAP"));
  EXPECT_FALSE(IsMapFile("\\g\\.map"));
  EXPECT_FALSE(IsMapFile("\\g.map\\stage1"));
  EXPECT_FALSE(IsMapFile("\\g\\stage1.mapx"));
}

TEST(StreamTable, ClosingMakesHandlesStaleAndTheTableStaysBounded) {
  TempDir dir;
  std::string path = dir.write("f", "x");
  StreamTable table;
  std::vector<TFileReader*> readers;
  for (size_t i = 0; i < StreamTable::kMostOpenFiles; ++i) {
    readers.push_back(table.OpenReader(path));
    ASSERT_TRUE(readers.back());
  }
  EXPECT_FALSE(table.OpenReader(path));
  EXPECT_FALSE(table.OpenWriter(dir.system() + "\\g"));
  uint32_t handle = readers[0]->handle();
  EXPECT_TRUE(StreamArg<TFileReader>(vm::TValue::ofRef(vm::vtHost, handle)));
  EXPECT_FALSE(StreamArg<TFileWriter>(vm::TValue::ofRef(vm::vtHost, handle)));
  EXPECT_TRUE(table.Close(readers[0]));
  EXPECT_FALSE(vm::HostHandles::find(handle));
  EXPECT_FALSE(StreamArg<TFileReader>(vm::TValue::ofRef(vm::vtHost, handle)));
  EXPECT_TRUE(table.OpenReader(path));

  // Binary records share one budget of bytes.
  TBinaryInputStream* big = table.NewBinaryInput(std::string(StreamTable::kMostBinaryBytes, 'b'));
  ASSERT_TRUE(big);
  EXPECT_FALSE(table.NewBinaryInput("x"));
  TBinaryOutputStream* out = table.NewBinaryOutput();
  ASSERT_TRUE(out);
  EXPECT_FALSE(out->WriteInt(1));
  table.Close(big);
  EXPECT_TRUE(out->WriteInt(1));
}

TEST(StreamTable, WritersLeftOpenAreClosedWithTheTable) {
  TempDir dir;
  std::string path = dir.system() + "\\left.txt";
  {
    StreamTable table;
    TFileWriter* writer = table.OpenWriter(path);
    ASSERT_TRUE(writer);
    writer->Write("kept");
  }
  EXPECT_EQ(contents(path), "kept");
}
