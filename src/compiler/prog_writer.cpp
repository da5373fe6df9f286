#include "compiler/prog_writer.h"

#include <cstring>

#include "resources/rtti.h"
#include "vm/code_tools.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/symbols.h"

namespace zunka {

using namespace vm;

TProgWriter::TProgWriter(TRTTI* owner) : owner_(owner), buffer_(256) {}

void TProgWriter::bytes(const void* data, size_t n) {
  // The buffer doubles when full, keeping everything up to the high-water mark.
  size_t end = size_t(position_) + n;
  if (end > buffer_.size()) {
    size_t size = buffer_.size();
    while (size < end) size *= 2;
    buffer_.resize(size);
  }
  if (n > 0) std::memcpy(buffer_.data() + position_, data, n);
  position_ = int32_t(end);
  if (position_ > highWater_) highWater_ = position_;
}

void TProgWriter::word(uint32_t w) {
  bytes(&w, sizeof w);
}

void TProgWriter::Push(const TValue& v, const std::string& name) {
  if (v.kind == vtObject) throw EError("WritePush Error");
  record(Op_Push, name);
  op(Op_Push, v.kind);
  word(v.ref);
}

void TProgWriter::PushString(std::string_view text) {
  uint32_t length = uint32_t((text.size() + 4) & ~size_t(3));  // text, a zero, padding
  op(Op_PushString, length);
  std::vector<uint8_t> padded(length, 0);
  std::memcpy(padded.data(), text.data(), text.size());
  bytes(padded.data(), padded.size());
}

void TProgWriter::SMemberValPtr(int32_t index, const std::string& name) {
  record(Op_SMemberValPtr, name);
  op(Op_SMemberValPtr, uint32_t(index));
}

void TProgWriter::DMemberValPtr(const std::string& name) {
  record(Op_DMemberValPtr, name);
  op(Op_DMemberValPtr, symbols::intern(name));
  word(0);
}

void TProgWriter::DCall(const std::string& name, int32_t argc) {
  record(Op_DCall, name);
  op(Op_DCall, uint32_t(argc));
  word(symbols::intern(name));
  word(0);
}

void TProgWriter::SCall(int32_t methodIndex, int32_t argc, const std::string& name) {
  record(Op_SCall, name);
  op(Op_SCall, uint32_t(argc));
  word(uint32_t(methodIndex));
}

void TProgWriter::SuperCall(const TFunction* f, int32_t argc, const std::string& name) {
  record(Op_SuperCall, name);
  op(Op_SuperCall, uint32_t(argc));
  word(f ? f->handle() : 0);
}

void TProgWriter::NativeCall(const TFunction* f, int32_t argc, const std::string& name) {
  record(Op_NativeCall, name);
  op(Op_NativeCall, uint32_t(argc));
  word(f ? f->handle() : 0);
}

void TProgWriter::Constructor(const TRTTI* cls, int32_t argc) {
  record(Op_Constructor, cls->FullPath());
  op(Op_Constructor, uint32_t(argc));
  word(cls->handle());
}

void TProgWriter::Is(const TRTTI* cls) {
  record(Op_Is, cls->FullPath());
  op(Op_Is, cls->handle());
}

void TProgWriter::record(vm::Opcode code, const std::string& name) {
  std::string key = std::to_string(int32_t(code)) + ":" + name;
  auto [at, added] = entryIndex_.try_emplace(std::move(key), symbols_.entries.size());
  if (added)
    symbols_.entries.push_back(vm::TCInfoElem{int32_t(code), name, {position_}});
  else
    symbols_.entries[at->second].positions.push_back(position_);
}

std::unique_ptr<TCompiledInfo> TProgWriter::Finish() {
  std::vector<uint32_t> words(size_t(highWater_ + 3) / 4, 0);
  std::memcpy(words.data(), buffer_.data(), size_t(highWater_));
  auto info = std::make_unique<TCompiledInfo>(owner_, words, std::move(symbols_));
  info->Fuse();
  buffer_.assign(256, 0);
  position_ = highWater_ = 0;
  symbols_ = {};
  entryIndex_.clear();
  return info;
}

}  // namespace zunka
