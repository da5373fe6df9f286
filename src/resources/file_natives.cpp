#include "resources/file_natives.h"

#include <string>

#include "platform/files.h"
#include "resources/files_folder.h"
#include "resources/resource_tree.h"
#include "resources/stream_natives.h"
#include "resources/stream_table.h"
#include "vm/console.h"

namespace zunka {

using namespace vm;

namespace {

std::string existingFile(const TValue& name) {
  return ExistingScriptFile(toText(name));
}
std::string fileToWrite(const TValue& name) {
  return ScriptFileToWrite(toText(name), false);
}

// fileExists(name): 1 when the file is there.
ZUNKA_NATIVE(nativeFileExists) {
  if (argc < 1) return;
  setInt(*target, !existingFile(nativeArg(target, 1)).empty());
}

// moveFile(from, to): 1 when the file from now goes by the name to. A file
// already called to is never replaced (the move fails); in a game that takes no
// writes, only what the game wrote itself moves.
ZUNKA_NATIVE(nativeMoveFile) {
  if (argc < 2) return;
  std::string from = fileToWrite(nativeArg(target, 1));
  std::string to = fileToWrite(nativeArg(target, 2));
  bool ok = !from.empty() && !to.empty() && platform::fileExists(from) &&
            existingFile(nativeArg(target, 2)).empty() && !platform::directoryExists(to) &&
            platform::moveFile(from, to);
  setInt(*target, ok);
}

// deleteFile(name): 1 when the file is gone (in a game that takes no writes, a
// file the game came with stays).
ZUNKA_NATIVE(nativeDeleteFile) {
  if (argc < 1) return;
  std::string path = fileToWrite(nativeArg(target, 1));
  setInt(*target, !path.empty() && platform::fileExists(path) && platform::deleteFile(path));
}

std::string nameOrUntitled(const TValue& v) {
  std::string name = toText(v);
  return name.empty() ? "untitled" : name;
}

// _n_FileReader(unused, name): the reader's handle, or 0.
ZUNKA_NATIVE(nativeOpenReader) {
  if (argc < 2) return;
  std::string path = ExistingScriptFile(nameOrUntitled(nativeArg(target, 2)));
  TFileReader* reader = nullptr;
  if (!path.empty()) reader = streamTable().OpenReader(path);
  if (reader)
    setHost(*target, reader->handle());
  else
    setInt(*target, 0);
}

ZUNKA_NATIVE(nativeCloseReader) {
  if (argc < 1) return;
  streamTable().Close(StreamArg<TFileReader>(nativeArg(target, 1)));
}

ZUNKA_NATIVE(nativeEof) {
  if (argc < 1) return;
  if (TFileReader* reader = StreamArg<TFileReader>(nativeArg(target, 1)))
    setInt(*target, reader->AtEnd());
}

// _n_FileWriter(unused, name): the writer's handle, or 0. The folder is made
// when missing; the file appears (or is replaced) only when the writer is closed.
ZUNKA_NATIVE(nativeOpenWriter) {
  if (argc < 2) return;
  std::string path = ScriptFileToWrite(nameOrUntitled(nativeArg(target, 2)), true);
  TFileWriter* writer = nullptr;
  if (!path.empty() && !platform::directoryExists(path)) writer = streamTable().OpenWriter(path);
  if (writer)
    setHost(*target, writer->handle());
  else
    setInt(*target, 0);
}

// _n_close(writer): 1 when the file is in place, 0 when it could not be written.
ZUNKA_NATIVE(nativeCloseWriter) {
  if (argc < 1) return;
  if (TFileWriter* writer = StreamArg<TFileWriter>(nativeArg(target, 1)))
    setInt(*target, CloseWriterForScript(writer));
}

ZUNKA_NATIVE(nativeWriteByte) {
  if (argc < 2) return;
  if (TFileWriter* writer = StreamArg<TFileWriter>(nativeArg(target, 1)))
    writer->Write(static_cast<uint8_t>(toInt(nativeArg(target, 2))));
}

constexpr NativeEntry kObjectNatives[] = {
    {"fileExists", nativeFileExists},
    {"moveFile", nativeMoveFile},
    {"deleteFile", nativeDeleteFile},
};

constexpr NativeEntry kReaderNatives[] = {
    {"_n_FileReader", nativeOpenReader}, {"_n_close", nativeCloseReader}, {"_n_eof", nativeEof},
    {"_n_read", NativeReadByte},         {"_n_readLn", NativeReadLine},
};

constexpr NativeEntry kWriterNatives[] = {
    {"_n_FileWriter", nativeOpenWriter},
    {"_n_close", nativeCloseWriter},
    {"_n_write", nativeWriteByte},
    {"_n_writeLn", NativeWriteText},
};

}  // namespace

bool CloseWriterForScript(TFileWriter* writer) {
  std::string path = writer->path();
  bool ok = streamTable().Close(writer);
  if (!ok) Log(path + "を書き込めませんでした");
  return ok;
}

std::span<const NativeEntry> fileObjectNatives() {
  return kObjectNatives;
}
std::span<const NativeEntry> fileReaderNatives() {
  return kReaderNatives;
}
std::span<const NativeEntry> fileWriterNatives() {
  return kWriterNatives;
}

}  // namespace zunka
