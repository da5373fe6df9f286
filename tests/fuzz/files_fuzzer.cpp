// Fuzz target: guarded and `.map` files as ResourceReader opens and reads them,
// line and byte reading, Base64 both ways, and script names for the files folder.
// Besides memory safety it checks that every byte of a file is read exactly once
// (after the header of a guarded file, from the start of a `.map` file without
// one), that Base64 gives back what it was given, and that no name leaves the
// folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/base64.h"
#include "resources/file_streams.h"
#include "resources/files_folder.h"
#include "resources/guarded_file.h"
#include "resources/resource_stream_natives.h"
#include "resources/stream_table.h"
#include "support/temp_dir.h"

namespace {

using namespace zunka;

void check(bool holds) {
  if (!holds) __builtin_trap();
}

// Opens the file as a ResourceReader does and reads it to its end.
void readGuarded(StreamTable& streams, const std::string& path, std::string_view bytes) {
  bool invalid = false;
  TFileReader* reader = OpenGuardedReader(streams, path, invalid);
  bool header = IsGuardedHeader(bytes.substr(0, kGuardedHeaderBytes));
  check(reader ? !invalid : (invalid == !IsMapFile(path)));
  check(!reader == (!header && !IsMapFile(path)));
  if (!reader) return;
  std::string expected(header ? bytes.substr(std::min(bytes.size(), kGuardedHeaderBytes)) : bytes);
  std::string got;
  char four[4];
  for (size_t n; (n = reader->Read(four, 4)) > 0;) {
    got.append(four, n);
    if (n == 4) Int32At(four);
    if (!reader->AtEnd()) got.push_back(static_cast<char>(reader->Read()));
  }
  check(got == expected && reader->Read() == -1);
  streams.Close(reader);
}

// Reads the file line by line: the lines are the file without its CR and LF bytes.
void readLines(StreamTable& streams, const std::string& path, std::string_view bytes) {
  TFileReader* reader = streams.OpenReader(path);
  check(reader != nullptr);
  std::string joined, line;
  size_t lines = 0;
  while (reader->ReadLine(line)) {
    joined += line;
    ++lines;
  }
  std::string kept;
  for (char c : bytes)
    if (c != '\r' && c != '\n') kept.push_back(c);
  check(joined == kept && lines <= bytes.size());
  streams.Close(reader);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::TempDir dir;
  static StreamTable streams;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The same bytes as a guarded data file and as a map file.
  for (const char* name : {"\\f.dat", "\\f.map"}) {
    std::string path = dir.system() + name;
    check(platform::writeFile(path, bytes));
    readGuarded(streams, path, bytes);
  }
  readLines(streams, dir.system() + "\\f.dat", bytes);

  check(DecodeBase64(EncodeBase64(bytes)) == bytes);
  std::string decoded = DecodeBase64(bytes);
  check(DecodeBase64(EncodeBase64(decoded)) == decoded && decoded.size() <= size);

  // A name is one file directly in the folder: no separator is left in it (a "\"
  // only as the second byte of a double-byte character), nor any "/" or ":" byte.
  std::string page = dir.system() + "\\page";
  std::string path = FilesFolderPath(bytes, page);
  std::string folder = page + "\\files\\";
  check(path.empty() ||
        (path.starts_with(folder) && path.find_first_of("/:") == std::string::npos &&
         platform::findSjisChar(path, '\\', folder.size()) == std::string::npos));
  return 0;
}
