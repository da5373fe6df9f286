#include "resources/stream_natives.h"

#include <string>

#include "resources/stream_table.h"
#include "vm/tfstring.h"

namespace zunka {

using namespace vm;

ZUNKA_NATIVE(NativeReadByte) {
  if (argc < 1) return;
  TFileReader* reader = StreamArg<TFileReader>(nativeArg(target, 1));
  if (!reader) return;
  int b = reader->Read();
  if (b < 0)
    setNull(*target);
  else
    setInt(*target, b);
}

ZUNKA_NATIVE(NativeReadLine) {
  if (argc < 1) return;
  TFileReader* reader = StreamArg<TFileReader>(nativeArg(target, 1));
  if (!reader) return;
  std::string line;
  if (reader->ReadLine(line))
    setString(*target, line);
  else
    setNull(*target);
}

ZUNKA_NATIVE(NativeWriteText) {
  if (argc < 2) return;
  if (TFileWriter* writer = StreamArg<TFileWriter>(nativeArg(target, 1)))
    writer->Write(toText(nativeArg(target, 2)));
}

}  // namespace zunka
