#include "vm/interpreter_ops.h"

#include <charconv>

#include "vm/class_object.h"
#include "vm/errors.h"
#include "vm/runtime.h"
#include "vm/string_bytes.h"
#include "vm/tfstring.h"

namespace zunka::vm::ops {

void raise(const char* text) {
  throw ERuntimeError(text);
}
void raiseText(const std::string& text) {
  throw ERuntimeError(text);
}
void stackOverflow() {
  throw ERuntimeError("スタックオーバーフロー");
}
void badOpcode(uint32_t op) {
  throw ERuntimeError("異常な命令が入っています:" + std::to_string(op));
}

namespace {

constexpr const char* kDivisionByZero = "Division by zero";

int32_t wrapAdd(int32_t a, int32_t b) {
  return int32_t(uint32_t(a) + uint32_t(b));
}
int32_t wrapSub(int32_t a, int32_t b) {
  return int32_t(uint32_t(a) - uint32_t(b));
}
int32_t wrapMul(int32_t a, int32_t b) {
  return int32_t(uint32_t(a) * uint32_t(b));
}

// Integer remainder with the sign of the dividend; the most negative value by -1
// gives 0 rather than trapping.
int64_t remainder64(int64_t a, int64_t b) {
  if (b == 0) raise(kDivisionByZero);
  if (b == -1) return 0;
  return a % b;
}

// The body of `a` when it is a string that only the stack slot holding it refers
// to (a literal just pushed, the result of the concatenation before): appending
// to it then looks, to every script, exactly like making a new string and
// dropping the old one.
TfString* soleStringBody(const TValue& a) {
  TfObject* o = objectOf(a);
  return o && o->refCount == 1 ? stringBodyInline(o) : nullptr;
}

void concatenate(TValue& a, const TValue& b) {
  if (TfString* body = soleStringBody(a)) {
    if (b.kind == vtNull || b.kind == vtUnset) return;
    std::string_view right;
    std::string rightText;
    char digits[16];  // an integer's text, as toText gives it, without a heap string
    if (b.kind == vtInt) {
      right =
          std::string_view(digits, size_t(std::to_chars(digits, digits + 16, b.i).ptr - digits));
    } else if (!stringBytesInline(b, right) || right.data() == body->bytes.data()) {
      // Not a string, or the very body appended to (a string added to itself).
      rightText = toText(b);
      right = rightText;
    }
    if (body->bytes.size() + right.size() > kMaxStringBytes)
      throw ERuntimeError("文字列が長すぎます");
    Arena::chargeHost(right.size());
    body->bytes.append(right);
    return;
  }
  std::string text = toText(a);
  if (b.kind != vtNull && b.kind != vtUnset) {
    std::string right = toText(b);
    if (text.size() + right.size() > kMaxStringBytes) throw ERuntimeError("文字列が長すぎます");
    text += right;
  }
  TValue s = newString(text);
  retain(s);
  TValue old = a;
  a = s;
  release(old);
}

void intOp(Opcode op, TValue& a, const TValue& b) {
  if (b.kind == vtInt) {
    switch (op) {
      case Op_Add:
        a.i = wrapAdd(a.i, b.i);
        return;
      case Op_Sub:
        a.i = wrapSub(a.i, b.i);
        return;
      case Op_Mul:
        a.i = wrapMul(a.i, b.i);
        return;
      case Op_Div:
        if (b.i == 0) raise(kDivisionByZero);
        if (b.i == -1) {
          a.i = wrapSub(0, a.i);
          return;
        }
        if (a.i % b.i == 0) {
          a.i /= b.i;
          return;
        }
        a = TValue::ofFloat(float(double(a.i) / double(b.i)));
        return;
      case Op_Mod:
        a.i = int32_t(remainder64(a.i, b.i));
        return;
      default:
        return;
    }
  }
  if (b.kind == vtFloat) {
    switch (op) {
      case Op_Add:
        a = TValue::ofFloat(float(double(a.i) + b.f));
        return;
      case Op_Sub:
        a = TValue::ofFloat(float(double(a.i) - b.f));
        return;
      case Op_Mul:
        a = TValue::ofFloat(float(double(a.i) * b.f));
        return;
      case Op_Div:
        a = TValue::ofFloat(float(double(a.i) / b.f));
        return;
      case Op_Mod:
        a.i = int32_t(remainder64(a.i, truncToInt64(b.f)));
        return;
      default:
        return;
    }
  }
  if (b.kind == vtObject && op == Op_Add) concatenate(a, b);
}

void floatOp(Opcode op, TValue& a, const TValue& b) {
  if (b.kind == vtInt || b.kind == vtFloat) {
    double x = a.f, y = b.kind == vtInt ? double(b.i) : double(b.f);
    switch (op) {
      case Op_Add:
        a.f = float(x + y);
        return;
      case Op_Sub:
        a.f = float(x - y);
        return;
      case Op_Mul:
        a.f = float(x * y);
        return;
      case Op_Div:
        a.f = float(x / y);
        return;
      case Op_Mod: {
        int64_t divisor = b.kind == vtInt ? b.i : truncToInt64(b.f);
        a = TValue::ofInt(int32_t(remainder64(truncToInt64(a.f), divisor)));
        return;
      }
      default:
        return;
    }
  }
  if (b.kind == vtObject && op == Op_Add) concatenate(a, b);
}

}  // namespace

void arithmetic(Opcode op, TValue& a, const TValue& b) {
  switch (a.kind) {
    case vtInt:
      intOp(op, a, b);
      return;
    case vtFloat:
      floatOp(op, a, b);
      return;
    case vtObject:
      if (op == Op_Add) concatenate(a, b);
      return;
    default: {
      // An operand that is not a number or object takes the right operand's value.
      TValue old = a;
      a = b;
      retain(a);
      release(old);
      if (op == Op_Sub) {
        if (a.kind == vtInt)
          a.i = wrapSub(0, a.i);
        else if (a.kind == vtFloat)
          a.f = -a.f;
      }
      return;
    }
  }
}

void dropAfterKill(TValue& a) {
  TValue v = a;
  a = TValue{};
  try {
    release(v);
  } catch (const EError&) {
    // Nothing is left to report to: the process has ended.
  }
}

void comparison(Opcode op, TValue& a, TValue& b) {
  TValue left = a, right = b;
  a = TValue{};
  b = TValue{};
  release(left);
  release(right);
  double d = compare(left, right);
  bool holds = false;
  switch (op) {
    case Op_GT:
      holds = d > 0;
      break;
    case Op_GTE:
      holds = d >= 0;
      break;
    case Op_LT:
      holds = d < 0;
      break;
    case Op_LTE:
      holds = d <= 0;
      break;
    case Op_EQ:
      holds = d == 0;
      break;
    case Op_NEQ:
      holds = d != 0;
      break;
    default:
      break;
  }
  a = TValue::ofFloat(holds ? 1.0f : 0.0f);
}

void addSubst(bool subtract, TValue& target, const TValue& v) {
  switch (target.kind) {
    case vtInt:
      if (v.kind == vtInt) {
        target.i = subtract ? wrapSub(target.i, v.i) : wrapAdd(target.i, v.i);
      } else if (v.kind == vtFloat) {
        double r = subtract ? double(target.i) - v.f : double(target.i) + v.f;
        target = TValue::ofFloat(float(r));
      }
      return;
    case vtFloat: {
      double y = toFloat(v);
      target.f = float(subtract ? target.f - y : target.f + y);
      return;
    }
    case vtObject:
      return;  // strings and objects are left as they are
    default: {
      TValue old = target;
      target = v;
      retain(target);
      release(old);
      return;
    }
  }
}

TValue* dummy(bool toError) {
  return resetDummy(toError);
}

std::string notObjectReason(const TValue& v) {
  return toText(v) +
         (v.kind == vtUnset ? "は初期化されていないため" : "はオブジェクトではないため");
}

TValue* memberByName(TProcess* p, const TValue& top, Symbol name, uint32_t& hint) {
  if (TfObject* o = objectOf(top)) {
    ClassObject* cls = classOfRecord(o);
    int32_t h = int32_t(hint);
    int32_t slot = cls ? cls->MemberIndex(name, h) : -1;
    int32_t slots = cls ? cls->memberSlots() : 0;
    if (slot >= 0 && slot < slots) {
      hint = uint32_t(slot);
      return &o->members()[slot];
    }
    Warn(p, "変数" + symbols::text(name) + "は定義されていません");
    hint = 0;
    return dummy(true);
  }
  if (top.kind != vtError)
    Warn(p, notObjectReason(top) + "、メンバ変数" + symbols::text(name) + "を参照できません");
  return dummy(true);
}

}  // namespace zunka::vm::ops
