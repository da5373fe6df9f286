#include "resources/binary_natives.h"

#include "resources/base64.h"
#include "resources/stream_table.h"
#include "vm/tfstring.h"

namespace zunka {

using namespace vm;

namespace {

void setStream(TValue& slot, const TStream* stream) {
  if (stream)
    setHost(slot, stream->handle());
  else
    setInt(slot, 0);
}

ZUNKA_NATIVE(nativeNewOutput) {
  setStream(*target, streamTable().NewBinaryOutput());
}

ZUNKA_NATIVE(nativeWriteInt) {
  if (argc < 2) return;
  if (auto* record = StreamArg<TBinaryOutputStream>(nativeArg(target, 1)))
    record->WriteInt(toInt(nativeArg(target, 2)));
}

ZUNKA_NATIVE(nativeToBase64) {
  if (argc < 1) return;
  if (auto* record = StreamArg<TBinaryOutputStream>(nativeArg(target, 1)))
    setString(*target, EncodeBase64(record->bytes()));
}

ZUNKA_NATIVE(nativeFreeOutput) {
  if (argc < 1) return;
  streamTable().Close(StreamArg<TBinaryOutputStream>(nativeArg(target, 1)));
}

// _n_init(text): a record holding the bytes the Base64 text stands for.
ZUNKA_NATIVE(nativeNewInput) {
  if (argc < 1) return;
  setStream(*target, streamTable().NewBinaryInput(DecodeBase64(toText(nativeArg(target, 1)))));
}

ZUNKA_NATIVE(nativeReadInt) {
  if (argc < 1) return;
  if (auto* record = StreamArg<TBinaryInputStream>(nativeArg(target, 1)))
    setInt(*target, record->ReadInt());
}

ZUNKA_NATIVE(nativeFreeInput) {
  if (argc < 1) return;
  streamTable().Close(StreamArg<TBinaryInputStream>(nativeArg(target, 1)));
}

constexpr NativeEntry kWriterNatives[] = {
    {"_n_init", nativeNewOutput},
    {"_n_writeInt", nativeWriteInt},
    {"_n_toB64", nativeToBase64},
    {"_n_free", nativeFreeOutput},
};

constexpr NativeEntry kReaderNatives[] = {
    {"_n_init", nativeNewInput},
    {"_n_readInt", nativeReadInt},
    {"_n_free", nativeFreeInput},
};

}  // namespace

std::span<const NativeEntry> binWriterNatives() {
  return kWriterNatives;
}
std::span<const NativeEntry> binReaderNatives() {
  return kReaderNatives;
}

}  // namespace zunka
