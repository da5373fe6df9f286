#include "vm/compiled_info.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "vm/class_object.h"
#include "vm/code_tools.h"
#include "vm/opcodes.h"
#include "vm/quick_code.h"

namespace zunka::vm {

void TSymInfoList::record(int32_t opcode, const std::string& name, int32_t position) {
  for (TCInfoElem& e : entries) {
    if (e.opcode == opcode && e.name == name) {
      e.positions.push_back(position);
      return;
    }
  }
  entries.push_back(TCInfoElem{opcode, name, {position}});
}

void TSymInfoList::addPoint(int32_t sourceOffset, int32_t position) {
  points.emplace_back(std::to_string(sourceOffset), position);
}

TCompiledInfo::TCompiledInfo(ClassObject* owner, const std::vector<uint32_t>& words,
                             TSymInfoList symbols)
    : owner_(owner), symbols_(std::move(symbols)) {
  lengthBytes_ = static_cast<uint32_t>(words.size() * 4);
  code_ = Arena::allocate(lengthBytes_ + 4);
  std::memcpy(Arena::at<uint32_t>(code_), words.data(), lengthBytes_);
  // One Halt past the end: a block that lost its own Halt still stops there.
  Arena::at<uint32_t>(code_)[words.size()] = Op_Halt;
  // An all-zero quick form runs every instruction as written.
  std::memset(Arena::quickWords(code_), 0, lengthBytes_ + 4);
}

void TCompiledInfo::Fuse() {
  fuseInstructions(words(), lengthBytes_ / 4);
  refreshQuickForm();
}

void TCompiledInfo::refreshQuickForm() {
  quickenCode(words(), lengthBytes_ / 4 + 1, Arena::quickWords(code_));
  forwarding_ = forwardingShapeOf(words(), lengthBytes_ / 4);
  quickened_ = true;
}

TCompiledInfo::~TCompiledInfo() {
  // A frame that still returns into this block after it is gone finds Halt words.
  uint32_t* w = words();
  uint32_t* quick = Arena::quickWords(code_);
  for (uint32_t i = 0; i <= lengthBytes_ / 4; ++i) {
    w[i] = Op_Halt;
    quick[i] = Op_Halt + 1;
  }
  Arena::release(code_, lengthBytes_ + 4);
}

std::string TCompiledInfo::Locate(Ref address) const {
  if (!owner_) return "none";
  const auto& points = symbols_.points;
  // The statement is the last point that starts before the address. Points are
  // recorded in code order, so a binary search finds it (every print asks, and a
  // page's placement script has a point per generator attribute); a list out of
  // order (changed by hand) is searched from the end, as it always was.
  if (pointsCheckedFor_ != points.size()) {
    pointsCheckedFor_ = points.size();
    pointsInOrder_ = std::is_sorted(points.begin(), points.end(), [](const auto& a, const auto& b) {
      return a.second < b.second;
    });
  }
  if (pointsInOrder_) {
    auto after = std::partition_point(points.begin(), points.end(), [&](const auto& point) {
      return code_ + static_cast<uint32_t>(point.second) < address;
    });
    if (after == points.begin()) return "none";
    return owner_->FullPath() + "," + std::prev(after)->first;
  }
  for (auto it = points.rbegin(); it != points.rend(); ++it) {
    if (code_ + static_cast<uint32_t>(it->second) < address)
      return owner_->FullPath() + "," + it->first;
  }
  return "none";
}

void TCompiledInfo::List(std::vector<std::string>& lines) const {
  for (const TCInfoElem& e : symbols_.entries)
    for (int32_t position : e.positions)
      lines.push_back(std::string("op=") + opcodeName(uint32_t(e.opcode)) +
                      " ,addr=" + std::to_string(position) + " ,info=" + e.name);
}

}  // namespace zunka::vm
