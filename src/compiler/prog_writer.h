#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vm/compiled_info.h"
#include "vm/opcodes.h"
#include "vm/value.h"

namespace zunka {

class TRTTI;
namespace vm {
class TFunction;
}

// Accumulates the code of one block (a function body or a class's main code) and
// the symbol information that lets the block be saved in a class file and linked
// again: for every instruction whose operand depends on a name, the (opcode, name)
// pair and the instruction's position. Positions are byte offsets from the block's
// start; the position can be moved back to patch a jump and returned to the end.
class TProgWriter {
 public:
  explicit TProgWriter(TRTTI* owner);

  int32_t position() const { return position_; }
  void setPosition(int32_t position) { position_ = position; }
  void toEnd() { position_ = highWater_; }
  int32_t length() const { return highWater_; }
  int32_t capacity() const { return int32_t(buffer_.size()); }

  void Pop() { op(vm::Op_Pop); }
  void Push(const vm::TValue& v, const std::string& name);  // "WritePush Error" for objects
  void PushInt(int32_t i) { Push(vm::TValue::ofInt(i), ""); }
  void PushReal(float f) { Push(vm::TValue::ofFloat(f), ""); }
  void PushString(std::string_view text);
  void PushThis() { op(vm::Op_PushThis); }
  void SMemberValPtr(int32_t index, const std::string& name);
  void DMemberValPtr(const std::string& name);
  void LocalValPtr(int32_t index) { op(vm::Op_LocalValPtr, uint32_t(index)); }
  void ArgValPtr(int32_t index) { op(vm::Op_ArgValPtr, uint32_t(index)); }
  void DCall(const std::string& name, int32_t argc);
  void SCall(int32_t methodIndex, int32_t argc, const std::string& name);
  void SuperCall(const vm::TFunction* f, int32_t argc, const std::string& name);
  void NativeCall(const vm::TFunction* f, int32_t argc, const std::string& name);
  void Constructor(const TRTTI* cls, int32_t argc);
  void Is(const TRTTI* cls);
  void op(vm::Opcode code) { word(code); }
  void op(vm::Opcode code, uint32_t operand) {
    word(code);
    word(operand);
  }
  // A jump or loop instruction with its byte offset from its own start.
  void jump(vm::Opcode code, int32_t offset) { op(code, uint32_t(offset)); }
  // Writes a forward jump with a placeholder; `patchJump` later aims it at a target.
  int32_t jumpPlaceholder(vm::Opcode code) {
    int32_t at = position_;
    jump(code, 0);
    return at;
  }
  void patchJump(int32_t at, int32_t target) {
    uint32_t code;
    std::memcpy(&code, &buffer_[size_t(at)], sizeof code);
    setPosition(at);
    jump(vm::Opcode(code), target - at);
    toEnd();
  }
  // Records the statement at `sourceOffset` as starting at the current position.
  void Point(int32_t sourceOffset) { symbols_.addPoint(sourceOffset, position_); }

  // Hands the block over (with the fusion pass run over it) and empties the writer.
  std::unique_ptr<vm::TCompiledInfo> Finish();

 private:
  void word(uint32_t w);
  void bytes(const void* data, size_t n);
  // Adds the current position to the entry of (code, name), made on first use.
  // Entries are found through an index: a placement script names tens of
  // thousands of globals, and a search through the entries would be quadratic.
  void record(vm::Opcode code, const std::string& name);

  TRTTI* owner_;
  std::vector<uint8_t> buffer_;
  int32_t position_ = 0;
  int32_t highWater_ = 0;
  vm::TSymInfoList symbols_;
  std::unordered_map<std::string, size_t> entryIndex_;  // opcode and name -> entry
};

}  // namespace zunka
