#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vm/arena.h"
#include "vm/quick_code.h"

namespace zunka::vm {

class ClassObject;

class TNormalFunction;

// One symbol entry: which instructions of a block (byte positions) carry an operand
// bound to `name`, so that a block read back from a class file can be linked again.
struct TCInfoElem {
  int32_t opcode = 0;
  std::string name;
  std::vector<int32_t> positions;
};

// The symbol entries of a block and its point records: (decimal source offset of a
// statement, code position where the statement's code starts).
struct TSymInfoList {
  std::vector<TCInfoElem> entries;
  std::vector<std::pair<std::string, int32_t>> points;

  void record(int32_t opcode, const std::string& name, int32_t position);
  void addPoint(int32_t sourceOffset, int32_t position);
};

// A compiled code block: code words in the value arena (so that return addresses
// and code positions are 32-bit references), its symbol information, and the
// class it is bound to.
class TCompiledInfo {
 public:
  TCompiledInfo(ClassObject* owner, const std::vector<uint32_t>& words, TSymInfoList symbols = {});
  ~TCompiledInfo();
  TCompiledInfo(const TCompiledInfo&) = delete;
  TCompiledInfo& operator=(const TCompiledInfo&) = delete;

  Ref code() const { return code_; }
  // The code words. Operands may be changed in place (linking); opcodes change
  // only through Fuse, which keeps the interpreter's quick form in step.
  uint32_t* words() const { return Arena::at<uint32_t>(code_); }
  // Merges runs of instructions into the fused ones (see code_tools.h).
  void Fuse();
  // The interpreter's quick form is worked out when the block is first entered
  // (or fused): a start loads every kernel class, most of whose methods never
  // run. Until then the block runs as written.
  void ensureQuickForm() {
    if (!quickened_) refreshQuickForm();
  }
  // The block as a forwarding method body (vm/quick_code.h), or nullptr.
  const ForwardingShape* forwarding() const { return forwarding_ ? &*forwarding_ : nullptr; }
  uint32_t lengthBytes() const { return lengthBytes_; }
  bool contains(Ref address) const { return address >= code_ && address < code_ + lengthBytes_; }

  ClassObject* owner() const { return owner_; }
  void bindTo(ClassObject* owner) { owner_ = owner; }
  TSymInfoList& symbols() { return symbols_; }
  const TSymInfoList& symbols() const { return symbols_; }

  // The statement containing a code address: the owner's full path, ",", and the
  // statement's source offset; "none" when unknown.
  std::string Locate(Ref address) const;

  // One line per recorded position, for the debug window's code view:
  // "op=" NAME " ,addr=" POSITION " ,info=" SYMBOL.
  void List(std::vector<std::string>& lines) const;

 private:
  void refreshQuickForm();

  Ref code_ = 0;
  uint32_t lengthBytes_ = 0;
  // Kept in step with the quick form: both follow the opcodes.
  std::optional<ForwardingShape> forwarding_;
  bool quickened_ = false;
  ClassObject* owner_ = nullptr;
  TSymInfoList symbols_;
  // Whether the points are in code order, as of their count then.
  mutable size_t pointsCheckedFor_ = ~size_t{0};
  mutable bool pointsInOrder_ = false;
};

}  // namespace zunka::vm
