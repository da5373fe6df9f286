#include "vm/value.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "vm/class_object.h"
#include "vm/errors.h"
#include "vm/host_handles.h"
#include "vm/runtime.h"
#include "vm/string_bytes.h"
#include "vm/tfstring.h"

namespace zunka::vm {

ClassObject* classOf(const TfObject* o) {
  return o ? hostAs<ClassObject>(o->classHandle) : nullptr;
}

namespace {

enum class ReleaseFault { None, NotAnObject, NegativeCount };

ReleaseFault releaseCounting(const TValue& v) {
  if (!Arena::isObject(v.ref)) return ReleaseFault::NotAnObject;
  TfObject* o = objectAt(v.ref);
  if (o->refCount <= 0) {
    // Keep the record collectable: it is garbage, not a free record.
    o->refCount = 0;
    if (ClassObject* c = classOfRecord(o)) c->noteFree(v.ref);
    return ReleaseFault::NegativeCount;
  }
  if (--o->refCount == 0) {
    if (ClassObject* c = classOfRecord(o)) c->noteFree(v.ref);
  }
  return ReleaseFault::None;
}

// The error a release fault raises.
std::string faultText(const TValue& v, ReleaseFault fault) {
  return toText(v) + (fault == ReleaseFault::NotAnObject ? ":どうやってきたの？"
                                                         : ":参照カウントが負になりました");
}

}  // namespace

bool releaseOrSay(TValue& v, std::string& error) {
  const ReleaseFault fault = releaseCounting(v);
  if (fault == ReleaseFault::None) return true;
  error = faultText(v, fault);
  return false;
}

bool releaseQuietly(TValue& v) {
  return releaseCounting(v) == ReleaseFault::None;
}

void releaseSlow(TValue& v) {
  // The text is made only for a fault: the last reference going, the usual case
  // here, needs none.
  const ReleaseFault fault = releaseCounting(v);
  if (fault != ReleaseFault::None) throw ERuntimeError(faultText(v, fault));
}

void setObject(TValue& dst, Ref object) {
  TValue v = TValue::ofRef(vtObject, object);
  retain(v);
  release(dst);
  dst = v;
}

std::string floatText(float value) {
  double d = value;
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
  if (d == 0) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", d);  // d.dddddddddddddde±x: 15 digits
  std::string digits;
  const char* p = buf;
  bool negative = *p == '-';
  if (negative) ++p;
  for (; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < 15 && std::fabs(d) >= 0.00001) {
    if (exponent < 0) {
      out += "0." + std::string(-exponent - 1, '0') + digits;
    } else if (static_cast<int>(digits.size()) <= exponent + 1) {
      out += digits + std::string(exponent + 1 - digits.size(), '0');
    } else {
      out += digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  }
  return out;
}

bool stringBytes(const TValue& v, std::string_view& bytes) {
  return stringBytesInline(v, bytes);
}

std::string toText(const TValue& v) {
  switch (v.kind) {
    case vtNull:
      return "null";
    case vtInt:
      return std::to_string(v.i);
    case vtFloat:
      return floatText(v.f);
    case vtObject: {
      TfObject* o = objectOf(v);
      ClassObject* c = classOf(o);
      if (c && c == runtime().stringClass) {
        if (const TfString* s = stringBodyOf(o)) return s->bytes;
        return "";
      }
      return (c ? c->name() : std::string()) + "@" + std::to_string(v.ref);
    }
    case vtPointer:
      return "[" + toText(*valueAt(v.ref)) + "]";
    case vtHost: {
      HostObject* h = HostHandles::find(v.ref);
      return h ? h->hostClassName() : "";
    }
    case vtError:
      return "Error #" + std::to_string(v.i);
    case vtUnset:
      return "変数" + symbols::text(v.ref);
  }
  return "";
}

std::string toLiteral(const TValue& v) {
  if (v.kind == vtObject) {
    TfObject* o = objectOf(v);
    if (o && classOf(o) == runtime().stringClass) return "\"" + toText(v) + "\"";
    return "objectFromID(" + std::to_string(v.ref) + ")";
  }
  if (v.kind == vtUnset) return "";
  return toText(v);
}

int64_t truncToInt64(double d) {
  if (!(std::fabs(d) < 9.2e18)) return 0;  // NaN, infinities and the unrepresentable
  return static_cast<int64_t>(d);
}

int32_t truncToInt(double d) {
  return static_cast<int32_t>(static_cast<uint32_t>(truncToInt64(d)));
}

int32_t toInt(const TValue& v) {
  switch (v.kind) {
    case vtInt:
      return v.i;
    case vtFloat:
      return truncToInt(v.f);
    case vtObject:
      return 1;
    default:
      return 0;
  }
}

float toFloat(const TValue& v) {
  if (v.kind == vtInt) return static_cast<float>(v.i);
  if (v.kind == vtFloat) return v.f;
  return 0;
}

double compare(const TValue& a, const TValue& b) {
  switch (a.kind) {
    case vtNull:
    case vtUnset:
      return (b.kind == vtNull || b.kind == vtUnset) ? 0 : 1;
    case vtInt:
      // Subtracting in 64 bits keeps the order right at the ends of the range.
      if (b.kind == vtInt) return static_cast<double>(int64_t(a.i) - int64_t(b.i));
      if (b.kind == vtFloat) return double(a.i) - double(b.f);
      return 1;
    case vtFloat:
      if (b.kind == vtInt) return double(a.f) - double(b.i);
      if (b.kind == vtFloat) return double(a.f) - double(b.f);
      return 1;
    case vtObject: {
      // A string equals whatever has its text; both sides are read in place,
      // since hash-table lookups compare strings on every probe.
      std::string_view left, right;
      if (!stringBytes(a, left)) return (b.kind == vtObject && b.ref == a.ref) ? 0 : 1;
      if (stringBytes(b, right)) return left == right ? 0 : 1;
      return left == toText(b) ? 0 : 1;
    }
    default:
      return 1;
  }
}

}  // namespace zunka::vm
