#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

class TFileWriter;

// classes.lang.Object: fileExists, moveFile and deleteFile, on names in the page's
// files folder (resources/files_folder.h).
std::span<const vm::NativeEntry> fileObjectNatives();
// FileReader and FileWriter: byte and line files in the files folder.
std::span<const vm::NativeEntry> fileReaderNatives();
std::span<const vm::NativeEntry> fileWriterNatives();

// Closes a writer for its script: whether the file was put in place; a file that
// could not be is said on the console.
bool CloseWriterForScript(TFileWriter* writer);

}  // namespace zunka
