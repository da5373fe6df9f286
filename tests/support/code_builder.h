#pragma once
// Assembles code blocks by hand for tests and benchmarks: one call per
// instruction, labels for jumps, and a finish that runs the fusion pass.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "resources/rtti.h"
#include "vm/code_tools.h"
#include "vm/compiled_info.h"
#include "vm/opcodes.h"
#include "vm/symbols.h"
#include "vm/value.h"

namespace zunka::testing {

using namespace zunka::vm;

class CodeBuilder {
 public:
  struct Label {
    int32_t position = -1;     // byte position once bound
    std::vector<size_t> uses;  // (word index of the jump opcode)
  };

  CodeBuilder& op(Opcode o) { return word(o); }
  CodeBuilder& word(uint32_t w) {
    words_.push_back(w);
    return *this;
  }

  CodeBuilder& push(TValue v) { return op(Op_Push).word(v.kind).word(v.ref); }
  CodeBuilder& pushInt(int32_t i) { return push(TValue::ofInt(i)); }
  CodeBuilder& pushFloat(float f) { return push(TValue::ofFloat(f)); }
  CodeBuilder& pushNull() { return push(TValue{}); }
  CodeBuilder& pushGlobal(Ref cell) { return push(TValue::ofRef(vtPointer, cell)).op(Op_Deref); }
  CodeBuilder& pushString(std::string_view text) {
    uint32_t length = static_cast<uint32_t>((text.size() + 4) & ~size_t(3));
    op(Op_PushString).word(length);
    std::vector<uint32_t> bytes(length / 4, 0);
    std::memcpy(bytes.data(), text.data(), text.size());
    words_.insert(words_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  CodeBuilder& pushThis() { return op(Op_PushThis); }
  CodeBuilder& local(uint32_t i) { return op(Op_LocalValPtr).word(i); }
  CodeBuilder& localValue(uint32_t i) { return local(i).op(Op_Deref); }
  CodeBuilder& arg(uint32_t i) { return op(Op_ArgValPtr).word(i); }
  CodeBuilder& argValue(uint32_t i) { return arg(i).op(Op_Deref); }
  CodeBuilder& member(uint32_t slot) { return op(Op_SMemberValPtr).word(slot); }
  CodeBuilder& thisMember(uint32_t slot) { return pushThis().member(slot); }
  CodeBuilder& thisMemberValue(uint32_t slot) { return thisMember(slot).op(Op_Deref); }
  CodeBuilder& memberByName(std::string_view name) {
    return op(Op_DMemberValPtr).word(symbols::intern(name)).word(0);
  }
  CodeBuilder& dcall(uint32_t argc, std::string_view name) {
    return op(Op_DCall).word(argc).word(symbols::intern(name)).word(0);
  }
  CodeBuilder& scall(uint32_t argc, uint32_t index) { return op(Op_SCall).word(argc).word(index); }
  CodeBuilder& superCall(uint32_t argc, const vm::TFunction* f) {
    return op(Op_SuperCall).word(argc).word(f->handle());
  }
  CodeBuilder& nativeCall(uint32_t argc, const vm::TFunction* f) {
    return op(Op_NativeCall).word(argc).word(f->handle());
  }
  CodeBuilder& construct(uint32_t argc, const TRTTI* c) {
    return op(Op_Constructor).word(argc).word(c->handle());
  }
  CodeBuilder& is(const TRTTI* c) { return op(Op_Is).word(c->handle()); }

  CodeBuilder& jump(Opcode o, Label& target) {
    target.uses.push_back(words_.size());
    return op(o).word(0);
  }
  CodeBuilder& bind(Label& label) {
    label.position = static_cast<int32_t>(words_.size() * 4);
    return *this;
  }
  size_t size() const { return words_.size(); }

  // Patches the jumps, appends Halt and makes the block (fused unless asked not to).
  std::unique_ptr<TCompiledInfo> finish(TRTTI* owner, std::vector<Label*> labels = {},
                                        bool fuse = true) {
    for (Label* l : labels)
      for (size_t use : l->uses) words_[use + 1] = uint32_t(l->position - int32_t(use * 4));
    words_.push_back(Op_Halt);
    auto info = std::make_unique<TCompiledInfo>(owner, words_);
    if (fuse) info->Fuse();
    return info;
  }
  const std::vector<uint32_t>& words() const { return words_; }

 private:
  std::vector<uint32_t> words_;
};

}  // namespace zunka::testing
