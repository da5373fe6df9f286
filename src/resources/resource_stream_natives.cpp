#include "resources/resource_stream_natives.h"

#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/file_natives.h"
#include "resources/guarded_file.h"
#include "resources/paths.h"
#include "resources/project_manager.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"
#include "resources/stream_natives.h"
#include "resources/stream_table.h"
#include "resources/user_storage.h"
#include "vm/console.h"

namespace zunka {

using namespace vm;

namespace {

// The text the object in `global` gives from its getURL(); "" when that fails.
std::string urlOf(std::string_view global) {
  TValue* value = EvaluateExpression(std::string(global) + ".getURL()");
  return value ? toText(*value) : std::string();
}

// Reads the first bytes of a file; false when it cannot be read at all.
bool firstBytesOf(std::string_view path, std::string& bytes) {
  platform::InputFile file;
  if (!file.open(path)) return false;
  bytes.resize(kGuardedHeaderBytes);
  bytes.resize(file.read(bytes.data(), bytes.size()));
  return true;
}

// _n_init(): a stream positioned after the header of a guarded file, or at the
// start of a `.map` file without one. Anything else gives no result. In a game that
// takes no writes, the user's copy is read when there is one.
ZUNKA_NATIVE(nativeOpenGuardedReader) {
  std::string path = GuardedFilePath(urlOf("$_tmp_rrdr"));
  if (path.empty()) {
    Log("not in the project folder. read aborted");
    return;
  }
  path = ReadPath(path, ProjectFolder());
  bool invalid = false;
  if (TFileReader* reader = OpenGuardedReader(streamTable(), path, invalid))
    setHost(*target, reader->handle());
  else if (invalid)
    Log("not a valid file. read aborted");
}

// _n_init(): a writer that replaces a guarded or `.map` file, or makes a new one,
// with a fresh header written first. In a game that takes no writes the file is
// written to its mirror in the user's data directory.
ZUNKA_NATIVE(nativeOpenGuardedWriter) {
  std::string path = GuardedFilePath(urlOf("$_tmp_rwrt"));
  if (path.empty()) {
    Log("not in the project folder. not wrote");
    return;
  }
  std::string game = ProjectFolder();
  std::string written = SavePath(path, game);
  if (written.empty()) {
    Log(path + "を書き込めませんでした");
    return;
  }
  // Judged on the file a reader would get: the game's own until the user has a copy.
  std::string current = ReadPath(path, game);
  std::string first;
  bool exists = platform::fileExists(current);
  if (platform::directoryExists(written) || (exists && !firstBytesOf(current, first)) ||
      (exists && !IsGuardedHeader(first) && !IsMapFile(current))) {
    Log("not a valid file. not wrote");
    return;
  }
  // A file not there yet is started (with its folder) rather than failing the
  // script's process: nothing that exists is touched.
  std::string folder = ParentDir(written);
  if (!platform::fileExists(written) && !platform::directoryExists(folder))
    platform::makeDirectory(folder);
  std::string boundary = written == path ? game : UserDataFolder(game);
  TFileWriter* writer = nullptr;
  if (platform::staysInsideOnHost(written, boundary)) writer = streamTable().OpenWriter(written);
  if (!writer) {
    Log(written + "を書き込めませんでした");
    return;
  }
  writer->Write(kGuardedHeader);
  setHost(*target, writer->handle());
}

// _n_readInt(stream): 4 bytes, little-endian and signed; null when fewer remain.
ZUNKA_NATIVE(nativeReadInt) {
  if (argc < 1) return;
  TFileReader* reader = StreamArg<TFileReader>(nativeArg(target, 1));
  if (!reader) return;
  char four[4];
  if (reader->Read(four, 4) == 4)
    setInt(*target, Int32At(four));
  else
    setNull(*target);
}

ZUNKA_NATIVE(nativeWriteByte) {
  if (argc < 2) return;
  TFileWriter* writer = StreamArg<TFileWriter>(nativeArg(target, 1));
  if (!writer) return;
  uint8_t b = static_cast<uint8_t>(toInt(nativeArg(target, 2)));
  writer->Write(b);
  setInt(*target, b);
}

ZUNKA_NATIVE(nativeWriteInt) {
  if (argc < 2) return;
  TFileWriter* writer = StreamArg<TFileWriter>(nativeArg(target, 1));
  if (!writer) return;
  int32_t v = toInt(nativeArg(target, 2));
  std::string four;
  AppendInt32(four, v);
  writer->Write(four);
  setInt(*target, v);
}

// _n_close(stream): a reader is closed; a writer's file is put in place, and the
// result says whether it could be (1) or not (0).
ZUNKA_NATIVE(nativeClose) {
  if (argc < 1) return;
  TStream* stream = StreamArg<TStream>(nativeArg(target, 1));
  if (auto* writer = dynamic_cast<TFileWriter*>(stream))
    setInt(*target, CloseWriterForScript(writer));
  else if (auto* reader = dynamic_cast<TFileReader*>(stream))
    streamTable().Close(reader);
}

constexpr NativeEntry kReaderNatives[] = {
    {"_n_close", nativeClose},     {"_n_init", nativeOpenGuardedReader},
    {"_n_read", NativeReadByte},   {"_n_readInt", nativeReadInt},
    {"_n_readLn", NativeReadLine},
};

constexpr NativeEntry kWriterNatives[] = {
    {"_n_close", nativeClose},       {"_n_init", nativeOpenGuardedWriter},
    {"_n_write", nativeWriteByte},   {"_n_writeInt", nativeWriteInt},
    {"_n_writeLn", NativeWriteText},
};

}  // namespace

std::string ProjectFolder() {
  const std::string& project = prjManager().projectFile();
  return project.empty() ? resourceTree().workDir : ParentDir(project);
}

std::string GuardedFilePath(std::string_view url) {
  // `/` separates folders on this host as `\` does: both count alike here.
  std::string name;
  for (size_t i = 0; i < url.size();) {
    size_t length = platform::sjisCharLength(url, i);
    name.append(length == 1 && url[i] == '/' ? "\\" : url.substr(i, length));
    i += length;
  }
  std::string folder = ProjectFolder();
  std::string path = ResolvePath(name, resourceTree().workDir);
  if (path.empty() || folder.empty() || name.find('\0') != std::string::npos ||
      !IsSameOrInside(path, folder) || SamePath(path, folder) ||
      !platform::staysInsideOnHost(path, folder))
    return {};
  return path;
}

TFileReader* OpenGuardedReader(StreamTable& streams, std::string_view path, bool& invalid) {
  invalid = false;
  TFileReader* reader = streams.OpenReader(path);
  if (!reader) return nullptr;
  char header[kGuardedHeaderBytes];
  size_t got = reader->Read(header, sizeof header);
  if (IsGuardedHeader(std::string_view(header, got))) return reader;
  streams.Close(reader);
  if (!IsMapFile(path)) {
    invalid = true;
    return nullptr;
  }
  return streams.OpenReader(path);
}

std::span<const NativeEntry> resourceReaderNatives() {
  return kReaderNatives;
}
std::span<const NativeEntry> resourceWriterNatives() {
  return kWriterNatives;
}

}  // namespace zunka
