#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vm/arena.h"
#include "vm/symbols.h"

namespace zunka::vm {

class ClassObject;

// The kind tag of a value. The numbers appear in compiled code and module
// interfaces and never change.
enum TVType : uint8_t {
  vtNull = 0,
  vtInt = 1,
  vtFloat = 2,
  vtObject = 3,   // counted reference: arena offset of an object record
  vtPointer = 4,  // arena offset of another value
  vtHost = 5,     // uncounted host handle
  vtError = 6,
  vtUnset = 7,  // never assigned; carries the variable's name symbol
};

// Every datum a script touches. Values are 8 bytes so that stacks, members and
// array cells are plain arrays copied with one move; every reference a value can
// hold is a 32-bit arena offset or host handle.
struct TValue {
  TVType kind = vtNull;
  uint8_t pad[3] = {0, 0, 0};
  union {
    int32_t i = 0;
    float f;
    uint32_t ref;
  };

  // Values are built and copied as one 64-bit word: a value put together field
  // by field in memory and then read whole stalls the processor's store
  // forwarding, and the interpreter does that on every push.
  static TValue ofBits(uint64_t bits) { return std::bit_cast<TValue>(bits); }
  uint64_t bits() const { return std::bit_cast<uint64_t>(*this); }
  static TValue ofRef(TVType k, uint32_t r) {
    if constexpr (std::endian::native == std::endian::little) {
      return ofBits(uint64_t(k) | uint64_t(r) << 32);
    } else {
      TValue x;
      x.kind = k;
      x.ref = r;
      return x;
    }
  }
  static TValue ofInt(int32_t v) { return ofRef(vtInt, uint32_t(v)); }
  static TValue ofFloat(float v) { return ofRef(vtFloat, std::bit_cast<uint32_t>(v)); }
  bool sameBits(const TValue& o) const { return kind == o.kind && ref == o.ref; }
};
static_assert(sizeof(TValue) == 8, "a value is exactly 8 bytes");
static_assert(sizeof(TVType) == 1);

// Object record: the counts and class, then one value per member in the class's
// member order. It is declared with one member, as the size the boot console shows.
struct TfObject {
  int32_t refCount;      // -1 free, 0 garbage awaiting reuse, >0 referenced
  int32_t mark;          // collector's mark count, 0 outside a collection
  uint32_t classHandle;  // host handle of the ClassObject
  TValue firstMember;

  TValue* members() { return &firstMember; }
  static constexpr uint32_t kHeaderBytes = 12;
};
static_assert(sizeof(TfObject) == 20);
static_assert(offsetof(TfObject, firstMember) == TfObject::kHeaderBytes);

inline TfObject* objectAt(Ref ref) {
  return Arena::at<TfObject>(ref);
}
inline TValue* valueAt(Ref ref) {
  return Arena::at<TValue>(ref);
}

// The live object a value refers to, or nullptr when it refers to none.
inline TfObject* objectOf(const TValue& v) {
  if (v.kind != vtObject || !Arena::isObject(v.ref)) return nullptr;
  return objectAt(v.ref);
}
// The class of a live object record (nullptr when the record is not a live one).
ClassObject* classOf(const TfObject* o);

void releaseSlow(TValue& v);
// release() without throwing: false, with the error's text, where release() would
// throw (a count driven below zero, a value naming no object).
bool releaseOrSay(TValue& v, std::string& error);
// The same without the error's text: for the tables and lists freed at exit, when
// the records they name may have gone first and every failure would cost a text.
bool releaseQuietly(TValue& v);

inline void retain(const TValue& v) {
  if (v.kind == vtObject && Arena::isObject(v.ref)) ++objectAt(v.ref)->refCount;
}
// Drops one counted reference. The last one makes the record garbage that its
// class may reuse; a count driven below zero or a value naming no object is an error.
inline void release(TValue& v) {
  if (v.kind == vtObject) {
    if (Arena::isObject(v.ref) && objectAt(v.ref)->refCount > 1)
      --objectAt(v.ref)->refCount;
    else
      releaseSlow(v);
  }
}

inline void assign(TValue& dst, const TValue* src) {
  TValue copy = src ? *src : TValue{};
  retain(copy);
  release(dst);
  dst = copy;
}
inline void clear(TValue& dst) {
  dst = TValue{};
}
inline void setInt(TValue& dst, int32_t i) {
  release(dst);
  dst = TValue::ofInt(i);
}
inline void setFloat(TValue& dst, float f) {
  release(dst);
  dst = TValue::ofFloat(f);
}
inline void setHost(TValue& dst, uint32_t handle) {
  release(dst);
  dst = TValue::ofRef(vtHost, handle);
}
inline void setError(TValue& dst, int32_t code) {
  release(dst);
  dst = TValue{};
  dst.kind = vtError;
  dst.i = code;
}
inline void setNull(TValue& dst) {
  release(dst);
  dst = TValue{};
}
void setObject(TValue& dst, Ref object);

std::string toText(const TValue& v);
// The bytes of a string object, without copying them (valid until the string
// changes); false for any other value.
bool stringBytes(const TValue& v, std::string_view& bytes);
std::string toLiteral(const TValue& v);
int32_t toInt(const TValue& v);
float toFloat(const TValue& v);
inline bool isTrue(const TValue& v) {
  switch (v.kind) {
    case vtInt:
      return v.i != 0;
    case vtFloat:
      return v.f != 0.0f;
    case vtObject:
    case vtHost:
      return true;
    default:
      return false;
  }
}
// Comparison: the sign of the result orders a against b; 0 means equal.
double compare(const TValue& a, const TValue& b);

// The text of a single-precision float as the system prints it: 15 significant
// digits, shortest form, scientific only for very large or small magnitudes.
std::string floatText(float f);
// Float to integer, truncating toward zero; values a 32-bit integer cannot hold wrap
// as through a 64-bit integer, and infinities and NaN give 0.
int32_t truncToInt(double d);
int64_t truncToInt64(double d);

}  // namespace zunka::vm
