#include "vm/class_object.h"

#include <bit>

#include "vm/collector.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/live_counters.h"
#include "vm/method_cache.h"
#include "vm/native_destructor.h"
#include "vm/runtime.h"
#include "vm/waiting_destructors.h"

namespace zunka::vm {

ClassObject::ClassObject() : HostObject(HostKind::Class) {
  initializeRuntime();
  classRefCell_ = Arena::allocate(sizeof(TValue));
  *valueAt(classRefCell_) = TValue::ofRef(vtHost, handle());
}

ClassObject::~ClassObject() {
  Reset();
  // Like a global's cell, the class cell outlives the class: code may point at it.
  // Its stale handle names nothing any more.
  *valueAt(classRefCell_) = TValue{};
}

int32_t ClassObject::EnsureMember(std::string_view name) {
  Symbol s = symbols::intern(name);
  int32_t i = members.find(s);
  return i >= 0 ? i : members.addSymbol(s);
}

void ClassObject::methodsChanged() {
  // Also when Reset empties the table, last of all, as a class is destroyed:
  // cached lookups never name a class that is gone (MethodCache).
  MethodCache::methodsChanged();
  methodIndexStale_ = true;
  constructorState_ = destructorState_ = Cached::Unknown;
  constructorCache_ = destructorCache_ = nullptr;
}

void ClassObject::rebuildMethodIndex() const {
  methodIndexStale_ = false;
  // At most half full, so that a probe for an absent symbol ends quickly.
  size_t size = std::bit_ceil(methods_.size() * 2 + 1);
  methodIndex_.assign(size, MethodSlot{kNoSymbol, -1, -1});
  for (size_t i = 0; i < methods_.size(); ++i) {
    Symbol s = methods_[i]->name();
    for (size_t at = s & (size - 1);; at = (at + 1) & (size - 1)) {
      MethodSlot& slot = methodIndex_[at];
      if (slot.symbol == kNoSymbol) slot = MethodSlot{s, static_cast<int32_t>(i), -1};
      if (slot.symbol == s) {
        slot.last = static_cast<int32_t>(i);
        break;
      }
    }
  }
}

TFunction* ClassObject::FindMethodBySymbol(Symbol s) const {
  const MethodSlot* slot = findSlot(s);
  return slot ? methods_[slot->first] : nullptr;
}

TFunction* ClassObject::FindMethodByName(std::string_view name) const {
  int64_t s = symbols::lookup(name);
  return s < 0 ? nullptr : FindMethodBySymbol(static_cast<Symbol>(s));
}

int32_t ClassObject::MethodIndexByName(std::string_view name) const {
  int64_t s = symbols::lookup(name);
  const MethodSlot* slot = s < 0 ? nullptr : findSlot(static_cast<Symbol>(s));
  return slot ? slot->first : -1;
}

int32_t ClassObject::IndexOfMethod(const TFunction* f) const {
  if (!f) return -1;
  for (size_t i = 0; i < methods_.size(); ++i)
    if (methods_[i] == f) return static_cast<int32_t>(i);
  return -1;
}

namespace {
// The last method of `kind` in the table, or nullptr.
TNormalFunction* lastOfKind(const std::vector<TFunction*>& methods, TFunction::Kind kind) {
  for (auto it = methods.rbegin(); it != methods.rend(); ++it)
    if ((*it)->kind() == kind) return static_cast<TNormalFunction*>(*it);
  return nullptr;
}
}  // namespace

TNormalFunction* ClassObject::Constructor() {
  if (constructorState_ == Cached::Unknown) {
    constructorCache_ = lastOfKind(methods_, TFunction::Kind::Constructor);
    constructorState_ = constructorCache_ ? Cached::Found : Cached::None;
  }
  return constructorCache_;
}

TNormalFunction* ClassObject::Destructor() {
  if (destructorState_ == Cached::Unknown) {
    destructorCache_ = lastOfKind(methods_, TFunction::Kind::Destructor);
    destructorState_ = destructorCache_ ? Cached::Found : Cached::None;
  }
  return destructorCache_;
}

bool ClassObject::indexAppendedMethod() const {
  size_t size = methodIndex_.size();
  if (methodIndexStale_ || size < methods_.size() * 2 + 1) return false;
  auto i = static_cast<int32_t>(methods_.size() - 1);
  Symbol s = methods_[i]->name();
  for (size_t at = s & (size - 1);; at = (at + 1) & (size - 1)) {
    MethodSlot& slot = methodIndex_[at];
    if (slot.symbol == kNoSymbol) slot = MethodSlot{s, i, -1};
    if (slot.symbol == s) {
      slot.last = i;
      return true;
    }
  }
}

void ClassObject::AddMethod(TFunction* f) {
  methods_.push_back(f);
  f->hold();
  // A class file adds its methods one by one after inheriting its parent's: the
  // index follows each addition while it has room, instead of being rebuilt.
  bool indexed = indexAppendedMethod();
  methodsChanged();
  methodIndexStale_ = !indexed;
}

void ClassObject::AddOrOverride(TFunction* f) {
  // The first method of the name is replaced in place: the index stays true.
  if (const MethodSlot* slot = findSlot(f->name())) {
    TFunction*& entry = methods_[size_t(slot->first)];
    TFunction* old = entry;
    entry = f;
    f->hold();
    methodsChanged();
    methodIndexStale_ = false;
    old->letGo();
    return;
  }
  AddMethod(f);
}

void ClassObject::InheritMethods() {
  if (!parent) return;
  bool ownTableEmpty = methods_.empty();
  methods_.insert(methods_.end(), parent->methods_.begin(), parent->methods_.end());
  for (TFunction* f : parent->methods_) f->hold();
  methodsChanged();
  // A class that has nothing of its own yet (one read from its class file) now
  // has its parent's table, and so its parent's index.
  if (ownTableEmpty) {
    if (parent->methodIndexStale_) parent->rebuildMethodIndex();
    methodIndex_ = parent->methodIndex_;
    methodIndexStale_ = false;
  }
}

void ClassObject::InheritMembers() {
  if (!parent) return;
  for (int32_t i = 0; i < parent->members.count(); ++i)
    members.addSymbol(parent->members.symbolAt(i));
}

bool ClassObject::InheritsFrom(const ClassObject* other) const {
  for (const ClassObject* c = this; c; c = c->parent)
    if (c == other) return true;
  return false;
}

Ref ClassObject::NewInstance(Recycler recycle, void* context) {
  if (!compiled)
    throw ERuntimeError("クラス" + DisplayName() +
                        "はコンパイルが完了していないため、インスタンスを生成できません");
  if (instanceSize_ < 0) instanceSize_ = members.count() * 8 + TfObject::kHeaderBytes;
  ++instancesMade_;

  Ref record = 0;
  for (;;) {
    record = firstFreeRecord();
    if (!record) break;
    // Garbage is finalised before its record is reused; a destructor that brought
    // its object back leaves the record to it.
    if (objectAt(record)->refCount == 0) {
      if (recycle && recycle(record, context)) {
        objectAt(record)->mark = 0;
        noteFree(record);  // it stays free until the caller stores it
        return record;
      }
      DestroyObject(record, true);
    }
    if (objectAt(record)->refCount <= 0) break;
  }
  if (!record) {
    Ref block = Arena::allocate(kHiddenBytes + static_cast<uint32_t>(instanceSize_));
    record = block + kHiddenBytes;
    poolIndexOf(record) = static_cast<uint32_t>(pool_.size());
    pool_.push_back(record);
    if (maybeFree_.size() * 64 < pool_.size()) maybeFree_.push_back(0);
    if (wordsWithCandidates_.size() * 64 < maybeFree_.size()) wordsWithCandidates_.push_back(0);
    TfObject* o = objectAt(record);
    o->refCount = -1;
    o->classHandle = handle();
    Arena::flagObject(record, true);
  }
  TfObject* o = objectAt(record);
  o->refCount = 0;
  o->mark = 0;
  o->classHandle = handle();
  int32_t slots = memberSlots();
  TValue* m = o->members();
  for (int32_t i = 0; i < slots; ++i)
    m[i] = TValue::ofRef(vtUnset, i < members.count() ? members.symbolAt(i) : 0);
  ++liveCounters().objects;
  noteFree(record);  // it stays free until the caller stores it
  return record;
}

// The first record of the pool that is free (count 0 or below), in pool order; 0
// when none is.
Ref ClassObject::firstFreeRecord() {
  for (size_t s = 0; s < wordsWithCandidates_.size(); ++s) {
    while (wordsWithCandidates_[s] != 0) {
      size_t w = s * 64 + size_t(std::countr_zero(wordsWithCandidates_[s]));
      uint64_t& word = maybeFree_[w];
      while (word != 0) {
        size_t i = w * 64 + size_t(std::countr_zero(word));
        word &= word - 1;  // taken, or found in use: no longer a candidate
        if (word == 0) wordsWithCandidates_[s] &= wordsWithCandidates_[s] - 1;
        if (objectAt(pool_[i])->refCount <= 0) return pool_[i];
      }
    }
  }
  return 0;
}

int32_t ClassObject::FinishGarbage(Garbage which) {
  int32_t finished = 0;
  const bool askSilent = which != Garbage::All;
  int32_t silentSlots = askSilent ? SilentFinishingSlots(this) : -1;
  // By index: a destructor may make new instances, which grow the pool.
  for (size_t i = 0; i < pool_.size(); ++i) {
    if (objectAt(pool_[i])->refCount != 0) continue;
    if (askSilent && FinishingIsSilent(pool_[i], silentSlots) != (which == Garbage::OnlySilent))
      continue;
    DestroyObject(pool_[i]);
    ++finished;
    // A destructor's script may have changed the class.
    if (askSilent) silentSlots = SilentFinishingSlots(this);
  }
  return finished;
}

std::vector<Ref> ClassObject::LiveInstances() const {
  std::vector<Ref> live;
  for (Ref r : pool_)
    if (objectAt(r)->refCount > 0) live.push_back(r);
  return live;
}

int32_t ClassObject::LiveCount() const {
  int32_t n = 0;
  for (Ref r : pool_)
    if (objectAt(r)->refCount > 0) ++n;
  return n;
}

std::string ClassObject::DisplayName() const {
  return name() + "@" + std::to_string(handle());
}

void ClassObject::freePool() {
  // Records nobody refers to any more still hold their members' references:
  // finish them properly before the memory goes.
  StopWaitingFor(this);
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount == 0) DestroyObject(pool_[i]);
  for (Ref r : pool_) {
    Arena::flagObject(r, false);
    Arena::release(r - kHiddenBytes, kHiddenBytes + static_cast<uint32_t>(instanceSize_));
  }
  pool_.clear();
  maybeFree_.clear();
  wordsWithCandidates_.clear();
}

void ClassObject::Reset() {
  compiled = false;
  freePool();
  instanceSize_ = -1;
  members.clear();
  std::vector<TFunction*> old;
  old.swap(methods_);
  methodsChanged();
  for (TFunction* f : old) f->letGo();
  classCode.reset();
}

void ClassObject::DestroyInstances() {
  // By index: destructors may make new instances of this very class.
  StopWaitingFor(this);
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount >= 0) DestroyObject(pool_[i]);
}

void ClassObject::MarkInstances() {
  if (!CollectorChecking()) return;
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount > 0) MarkObject(pool_[i]);
}

void ClassObject::SweepInstances() {
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount >= 0) SweepObject(pool_[i]);
}

void ClassObject::RegisterNative(std::string_view name, NativeHandler handler, bool plain,
                                 NativeLookup lookup) {
  TFunction* f = FindMethodByName(name);
  if (!f) {
    LogError("クラス" + this->name() + "のnative関数" + std::string(name) + "は未定義です", {},
             true);
    return;
  }
  if (f->isNative()) {
    auto* native = static_cast<TNativeFunction*>(f);
    native->handler = handler;
    native->plain = plain;
    native->lookup = plain ? lookup : nullptr;
  }
}

}  // namespace zunka::vm
