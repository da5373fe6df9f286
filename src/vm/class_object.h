#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vm/compiled_info.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/host_object.h"
#include "vm/rapid_string_list.h"
#include "vm/value.h"

namespace zunka::vm {

// What the interpreter knows of a script class: parent, member layout, method
// table, main code, and the pool of instance records. Objects are made only
// through NewInstance, which reuses records that nothing refers to any more, so
// steady object creation allocates nothing.
//
// The class resource of the tree (TRTTI) is one of these; it supplies the name.
class ClassObject : public HostObject {
 public:
  static constexpr HostKind kHostKind = HostKind::Class;

  ClassObject();
  ~ClassObject() override;

  // Supplied by the owner: the class name, its dotted place among the resources
  // (for code locations) and its source file (for traces).
  virtual const std::string& name() const = 0;
  virtual std::string FullPath() const = 0;
  virtual const std::string& sourcePath() const = 0;
  // "NAME@NUMBER": a label naming this class object for the life of the process.
  std::string DisplayName() const;

  // Member table.
  int32_t MemberIndex(Symbol s, int32_t& hint) const { return members.find(s, hint); }
  bool HasMember(Symbol s) const { return members.find(s) >= 0; }
  int32_t EnsureMember(std::string_view name);

  // Method table. A table may hold two methods of one name (a native declared
  // over an inherited method): FindMethod gives the later one, as a call does;
  // FindMethodBySymbol the earlier one. Both are one probe of a symbol index.
  TFunction* FindMethod(Symbol s, int32_t& hint) const;
  TFunction* FindMethodByName(std::string_view name) const;
  TFunction* FindMethodBySymbol(Symbol s) const;
  int32_t MethodIndexByName(std::string_view name) const;
  // Inline: every self call looks its method up by index.
  TFunction* MethodAt(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(methods_.size()) ? methods_[size_t(index)]
                                                                       : nullptr;
  }
  int32_t IndexOfMethod(const TFunction* f) const;
  TNormalFunction* Constructor();
  TNormalFunction* Destructor();
  void AddMethod(TFunction* f);
  void AddOrOverride(TFunction* f);
  void InheritMethods();
  void InheritMembers();
  const std::vector<TFunction*>& methods() const { return methods_; }

  // True when this class is `other` or inherits from it.
  bool InheritsFrom(const ClassObject* other) const;

  // Instances. `recycle`, when given, is offered each garbage record before it is
  // finished: taking it (true), it has made the record the new instance itself,
  // as the record's destructor and a fresh start would have left it.
  using Recycler = bool (*)(Ref record, void* context);
  Ref NewInstance(Recycler recycle = nullptr, void* context = nullptr);
  std::vector<Ref> LiveInstances() const;
  int32_t LiveCount() const;
  bool NoLiveInstances() const { return LiveCount() == 0; }
  const std::vector<Ref>& pool() const { return pool_; }
  int32_t instanceSize() const { return instanceSize_; }
  // The member slots a record of the class holds (0 or less before its layout is
  // known), and whether `slot` is one of them: the test, on the hot paths, is
  // made on bytes, without the division.
  int32_t memberSlots() const { return (instanceSize_ - int32_t(TfObject::kHeaderBytes)) / 8; }
  bool hasMemberSlot(int64_t slot) const {
    return slot >= 0 && slot * 8 + int64_t(TfObject::kHeaderBytes) + 8 <= instanceSize_;
  }
  // A record of this class became free (count 0 or below): the next search for a
  // reusable record may start there. Inline: every last reference let go says so.
  void noteFree(Ref record);
  // Which garbage FinishGarbage finishes: all of it, or all but or only the records
  // whose finishing nothing could see (FinishingIsSilent), which a process about
  // to end may leave.
  enum class Garbage : uint8_t { All, AllButSilent, OnlySilent };
  // Finishes garbage records (count 0) now, destructor first, rather than when
  // their records are next reused; the number finished.
  int32_t FinishGarbage(Garbage which = Garbage::All);
  int32_t instancesMade() const { return instancesMade_; }
  // Finalises every record of the pool (count 0 or above).
  void DestroyInstances();
  // In the collector's checking pass, marks every live instance; sweeps them all.
  void MarkInstances();
  void SweepInstances();

  // Back to uncompiled: members, methods, pool and main code are dropped.
  void Reset();

  // Binds a host function to the native method `name` (plain: see
  // TNativeFunction::plain); a message box when the class declares no such method.
  void RegisterNative(std::string_view name, NativeHandler handler, bool plain = false,
                      NativeLookup lookup = nullptr);

  // A cell holding a host reference to this class, for code that pushes classes.
  Ref classCell() const { return classRefCell_; }

  ClassObject* parent = nullptr;
  TRapidStringList members;
  std::unique_ptr<TCompiledInfo> classCode;
  bool compiled = false;
  bool failed = false;

 private:
  // Method index by symbol: open addressing over a power-of-two table, rebuilt
  // when the method table changes. Each slot keeps the first and the last method
  // of its name.
  struct MethodSlot {
    Symbol symbol;
    int32_t first;
    int32_t last;
  };
  static constexpr Symbol kNoSymbol = ~Symbol{0};
  const MethodSlot* findSlot(Symbol s) const;
  void methodsChanged();
  void rebuildMethodIndex() const;
  // Enters the method just appended in the index; false when the index is stale
  // or would be more than half full.
  bool indexAppendedMethod() const;
  void freePool();

  int32_t instanceSize_ = -1;
  std::vector<TFunction*> methods_;
  mutable std::vector<MethodSlot> methodIndex_;
  mutable bool methodIndexStale_ = false;
  // Constructor and destructor lookups, "none" included.
  enum class Cached : uint8_t { Unknown, None, Found };
  Cached constructorState_ = Cached::Unknown;
  Cached destructorState_ = Cached::Unknown;
  TNormalFunction* constructorCache_ = nullptr;
  TNormalFunction* destructorCache_ = nullptr;
  Ref classRefCell_ = 0;
  Ref firstFreeRecord();

  // Every record carries a hidden word before it: its index in the pool, so that a
  // record that becomes free can tell its class where the next search may start.
  static constexpr uint32_t kHiddenBytes = 8;
  static uint32_t& poolIndexOf(Ref record) { return *Arena::at<uint32_t>(record - kHiddenBytes); }

  std::vector<Ref> pool_;
  // Records that may be free, a bit per pool position: set when a record's count
  // drops to 0, cleared when a search finds it in use. A search for the first free
  // record thus looks only at records that went free since, never at the rest.
  std::vector<uint64_t> maybeFree_;
  // A bit per word of maybeFree_, set while that word has a bit set: a search
  // skips 4,096 records in use at a time, so a pool of many live records costs
  // it next to nothing.
  std::vector<uint64_t> wordsWithCandidates_;
  int32_t instancesMade_ = 0;
};

// Inline: every call and member access of the interpreter looks a method up.
inline const ClassObject::MethodSlot* ClassObject::findSlot(Symbol s) const {
  if (methodIndexStale_) rebuildMethodIndex();
  size_t size = methodIndex_.size();
  if (size == 0) return nullptr;
  for (size_t at = s & (size - 1);; at = (at + 1) & (size - 1)) {
    const MethodSlot& slot = methodIndex_[at];
    if (slot.symbol == s) return &slot;
    if (slot.symbol == kNoSymbol) return nullptr;
  }
}

inline TFunction* ClassObject::FindMethod(Symbol s, int32_t& hint) const {
  // The call site keeps the index it found last; with the symbol index a lookup
  // is one probe either way, so the hint is only refreshed for the listing.
  const MethodSlot* slot = findSlot(s);
  hint = slot ? slot->last : -1;
  return slot ? methods_[slot->last] : nullptr;
}

inline void ClassObject::noteFree(Ref record) {
  size_t index = poolIndexOf(record);
  if (index >= pool_.size()) return;
  size_t w = index / 64;
  if (maybeFree_[w] == 0) wordsWithCandidates_[w / 64] |= uint64_t(1) << (w % 64);
  maybeFree_[w] |= uint64_t(1) << (index % 64);
}

// The class of an object record, inline for the interpreter's hot paths (classOf
// in value.h does the same out of line, for code that sees no class definition).
inline ClassObject* classOfRecord(const TfObject* o) {
  return o ? hostAs<ClassObject>(o->classHandle) : nullptr;
}

}  // namespace zunka::vm
