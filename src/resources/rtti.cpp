#include "resources/rtti.h"

#include "shell/console.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/live_counters.h"
#include "vm/runtime.h"

namespace zunka {

using namespace vm;

namespace {
// Every record carries a hidden word before it: its index in the pool, so that a
// record that becomes free can tell its class where the next search may start.
constexpr uint32_t kHiddenBytes = 8;
uint32_t& poolIndexOf(Ref record) {
  return *Arena::at<uint32_t>(record - kHiddenBytes);
}
}  // namespace

int32_t TRTTI::EnsureMember(std::string_view name) {
  Symbol s = symbols::intern(name);
  int32_t i = members.find(s);
  return i >= 0 ? i : members.addSymbol(s);
}

TFunction* TRTTI::FindMethod(Symbol s, int32_t& hint) const {
  int32_t n = static_cast<int32_t>(methods_.size());
  if (hint >= 0 && hint < n && methods_[hint]->name() == s) return methods_[hint];
  for (int32_t i = n - 1; i >= 0; --i) {
    if (methods_[i]->name() == s) {
      hint = i;
      return methods_[i];
    }
  }
  hint = -1;
  return nullptr;
}

TFunction* TRTTI::FindMethodBySymbol(Symbol s) const {
  for (TFunction* f : methods_)
    if (f->name() == s) return f;
  return nullptr;
}

TFunction* TRTTI::FindMethodByName(std::string_view name) const {
  int64_t s = symbols::lookup(name);
  return s < 0 ? nullptr : FindMethodBySymbol(static_cast<Symbol>(s));
}

int32_t TRTTI::MethodIndexByName(std::string_view name) const {
  return IndexOfMethod(FindMethodByName(name));
}

TFunction* TRTTI::MethodAt(int32_t index) const {
  return index >= 0 && index < static_cast<int32_t>(methods_.size()) ? methods_[index] : nullptr;
}

int32_t TRTTI::IndexOfMethod(const TFunction* f) const {
  if (!f) return -1;
  for (size_t i = 0; i < methods_.size(); ++i)
    if (methods_[i] == f) return static_cast<int32_t>(i);
  return -1;
}

TNormalFunction* TRTTI::Constructor() {
  if (!constructorCache_) {
    for (auto it = methods_.rbegin(); it != methods_.rend(); ++it)
      if ((*it)->kind() == TFunction::Kind::Constructor) {
        constructorCache_ = static_cast<TNormalFunction*>(*it);
        break;
      }
  }
  return constructorCache_;
}

TNormalFunction* TRTTI::Destructor() {
  if (!destructorCache_) {
    for (auto it = methods_.rbegin(); it != methods_.rend(); ++it)
      if ((*it)->kind() == TFunction::Kind::Destructor) {
        destructorCache_ = static_cast<TNormalFunction*>(*it);
        break;
      }
  }
  return destructorCache_;
}

void TRTTI::AddMethod(TFunction* f) {
  methods_.push_back(f);
  f->hold();
}

void TRTTI::AddOrOverride(TFunction* f) {
  for (auto& slot : methods_) {
    if (slot->name() == f->name()) {
      TFunction* old = slot;
      slot = f;
      f->hold();
      if (constructorCache_ == old || destructorCache_ == old)
        constructorCache_ = destructorCache_ = nullptr;
      old->letGo();
      return;
    }
  }
  AddMethod(f);
}

void TRTTI::InheritMethods() {
  if (!parent) return;
  for (TFunction* f : parent->methods_) AddMethod(f);
}

void TRTTI::InheritMembers() {
  if (!parent) return;
  for (int32_t i = 0; i < parent->members.count(); ++i)
    members.addSymbol(parent->members.symbolAt(i));
}

bool TRTTI::InheritsFrom(const TRTTI* other) const {
  for (const TRTTI* c = this; c; c = c->parent)
    if (c == other) return true;
  return false;
}

Ref TRTTI::NewInstance() {
  if (!compiled)
    throw ERuntimeError("クラス" + DisplayName() +
                        "はコンパイルが完了していないため、インスタンスを生成できません");
  if (instanceSize_ < 0) instanceSize_ = members.count() * 8 + TfObject::kHeaderBytes;
  ++instancesMade_;

  Ref record = 0;
  for (size_t i = firstCandidate_; i < pool_.size(); ++i) {
    if (objectAt(pool_[i])->refCount <= 0) {
      record = pool_[i];
      firstCandidate_ = i + 1;
      break;
    }
  }
  if (!record) {
    Ref block = Arena::allocate(kHiddenBytes + static_cast<uint32_t>(instanceSize_));
    record = block + kHiddenBytes;
    poolIndexOf(record) = static_cast<uint32_t>(pool_.size());
    pool_.push_back(record);
    firstCandidate_ = pool_.size();
    TfObject* o = objectAt(record);
    o->refCount = -1;
    o->classHandle = handle();
    Arena::flagObject(record, true);
  }
  TfObject* o = objectAt(record);
  if (o->refCount == 0) DestroyObject(record);
  o = objectAt(record);
  o->refCount = 0;
  o->mark = 0;
  o->classHandle = handle();
  int32_t slots = (instanceSize_ - static_cast<int32_t>(TfObject::kHeaderBytes)) / 8;
  TValue* m = o->members();
  for (int32_t i = 0; i < slots; ++i)
    m[i] = TValue::ofRef(vtUnset, i < members.count() ? members.symbolAt(i) : 0);
  ++liveCounters.objects;
  noteFree(record);  // it stays free until the caller stores it
  return record;
}

void TRTTI::noteFree(Ref record) {
  size_t index = poolIndexOf(record);
  if (index < firstCandidate_) firstCandidate_ = index;
}

std::vector<Ref> TRTTI::LiveInstances() const {
  std::vector<Ref> live;
  for (Ref r : pool_)
    if (objectAt(r)->refCount > 0) live.push_back(r);
  return live;
}

int32_t TRTTI::LiveCount() const {
  int32_t n = 0;
  for (Ref r : pool_)
    if (objectAt(r)->refCount > 0) ++n;
  return n;
}

std::string TRTTI::DisplayName() const {
  return name() + "@" + std::to_string(handle());
}

void TRTTI::freePool() {
  // Records nobody refers to any more still hold their members' references:
  // finish them properly before the memory goes.
  for (size_t i = 0; i < pool_.size(); ++i)
    if (objectAt(pool_[i])->refCount == 0) DestroyObject(pool_[i]);
  for (Ref r : pool_) {
    Arena::flagObject(r, false);
    Arena::release(r - kHiddenBytes, kHiddenBytes + static_cast<uint32_t>(instanceSize_));
  }
  pool_.clear();
  firstCandidate_ = 0;
}

void TRTTI::Reset() {
  compiled = false;
  freePool();
  instanceSize_ = -1;
  members.clear();
  std::vector<TFunction*> old;
  old.swap(methods_);
  constructorCache_ = destructorCache_ = nullptr;
  for (TFunction* f : old) f->letGo();
  classCode.reset();
}

void TRTTI::RegisterNative(std::string_view name, NativeHandler handler) {
  TFunction* f = FindMethodByName(name);
  if (!f) {
    LogError("クラス" + this->name() + "のnative関数" + std::string(name) + "は未定義です", {},
             true);
    return;
  }
  if (f->isNative()) static_cast<TNativeFunction*>(f)->handler = handler;
}

}  // namespace zunka
