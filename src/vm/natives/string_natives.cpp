#include "vm/natives/string_natives.h"

#include <algorithm>

#include "vm/class_object.h"
#include "vm/natives/regexp.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"
#include "vm/string_bytes.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"

namespace zunka::vm {

int32_t wideLength(std::string_view bytes) {
  int32_t count = 0;
  for (size_t i = 0; i < bytes.size(); ++count)
    i += static_cast<unsigned char>(bytes[i]) >= 0x80 ? 2 : 1;
  return count;
}

namespace {

size_t wideCharBytes(unsigned char c) {
  return c >= 0x80 && !(c >= 0xA0 && c <= 0xDF) ? 2 : 1;
}

// Byte offset of character `index`, clipped to the text.
size_t wideOffset(std::string_view bytes, int32_t index) {
  size_t at = 0;
  for (int32_t i = 0; i < index && at < bytes.size(); ++i)
    at += wideCharBytes(static_cast<unsigned char>(bytes[at]));
  return std::min(at, bytes.size());
}

std::string_view byteRange(std::string_view bytes, int64_t start, int64_t end) {
  int64_t n = int64_t(bytes.size());
  start = std::clamp<int64_t>(start, 0, n);
  end = std::clamp<int64_t>(end, start, n);
  return bytes.substr(size_t(start), size_t(end - start));
}

std::string selfText(TValue* target) {
  TfString* body = stringBodyOf(objectOf(*target));
  return body ? body->bytes : std::string();
}

// The same bytes in place: for natives that only read them before replacing
// the target.
std::string_view selfBytes(const TValue* target) {
  TfString* body = stringBodyInline(objectOf(*target));
  return body ? std::string_view(body->bytes) : std::string_view();
}

ZUNKA_NATIVE(nativeInit) {
  if (argc < 1) return;
  TfObject* o = objectOf(*target);
  if (!o || !runtime().stringClass) return;
  int32_t slot = runtime().stringClass->MemberIndex(symbols::kBody, runtime().bodySlotHint);
  if (!runtime().stringClass->hasMemberSlot(slot)) return;
  auto* body = new TfString(std::string(1, char(toInt(nativeArg(target, 1)) & 0xFF)));
  o->members()[slot] = TValue::ofRef(vtHost, body->handle());
}

ZUNKA_NATIVE(nativeStrcat) {
  if (argc < 1) return;
  setString(*target, selfText(target) + toText(nativeArg(target, 1)));
}

ZUNKA_NATIVE(nativeSubstring) {
  if (argc < 1) return;
  std::string text = selfText(target);
  int64_t end = argc >= 2 ? toInt(nativeArg(target, 2)) : int64_t(text.size());
  setString(*target, byteRange(text, toInt(nativeArg(target, 1)), end));
}

ZUNKA_NATIVE(nativeWSubstring) {
  if (argc < 1) return;
  std::string text = selfText(target);
  setString(*target, wideSubstring(text, toInt(nativeArg(target, 1)),
                                   argc >= 2 ? toInt(nativeArg(target, 2)) : INT32_MAX));
}

ZUNKA_NATIVE(nativeLength) {
  setInt(*target, int32_t(selfBytes(target).size()));
}

ZUNKA_NATIVE(nativeWLength) {
  setInt(*target, wideLength(selfBytes(target)));
}

// length as a lookup (NativeLookup): a string without a body has length 0, as the
// handler says.
bool lookUpLength(const TValue& self, const TValue*, int32_t, TValue& result) {
  result = TValue::ofInt(int32_t(selfBytes(&self).size()));
  return true;
}

ZUNKA_NATIVE(nativeCharAt) {
  if (argc < 1) return;
  std::string text = selfText(target);
  int32_t i = toInt(nativeArg(target, 1));
  if (i >= 0 && size_t(i) < text.size())
    setInt(*target, static_cast<unsigned char>(text[size_t(i)]));
}

ZUNKA_NATIVE(nativeSplit) {
  std::string separator = ",";
  if (argc >= 1 && nativeArg(target, 1).kind != vtNull) {
    separator = toText(nativeArg(target, 1));
    if (separator.empty()) separator = ",";
  }
  TBRegExp re;
  re.substitute("s/\\W/\\\\$&/", separator);
  int32_t limit = argc >= 2 ? toInt(nativeArg(target, 2)) : 0;
  std::string text = selfText(target);
  auto* list = new TValueList();
  if (!text.empty()) {
    int pieces = re.split("/" + separator + "/", text, limit);
    for (int i = 0; i < pieces; ++i) {
      TValue piece = newString(re.at(i));
      list->add(piece);
    }
  }
  // The result is a script array whose body is the new list.
  if (!runtime().arrayClass) {
    delete list;
    return;
  }
  TValue array = constructObject(runtime().arrayClass, {});
  TValue ignored = callMethod(array, "_setBody", {TValue::ofRef(vtHost, list->handle())});
  release(ignored);
  TValue old = *target;
  *target = array;
  release(old);
}

ZUNKA_NATIVE(nativeFreeBody) {
  // The handle dies with the body, so a string still naming it reads as empty.
  if (argc >= 1) delete hostArg<TfString>(nativeArg(target, 1));
}

// Plain (TNativeFunction::plain): the two lengths, which only read `this`.
constexpr NativeEntry kStringNatives[] = {
    {"_free_body", nativeFreeBody},      {"native_init", nativeInit},
    {"native_strcat", nativeStrcat},     {"native_substring", nativeSubstring},
    {"_n_wsubstring", nativeWSubstring}, {"native_length", nativeLength, true, lookUpLength},
    {"_n_wlength", nativeWLength, true}, {"native_charAt", nativeCharAt},
    {"_n_split", nativeSplit},
};

}  // namespace

std::string_view wideSubstring(std::string_view bytes, int32_t start, int32_t end) {
  if (start < 0) start = 0;
  size_t from = wideOffset(bytes, start);
  size_t to = end < start ? from : wideOffset(bytes, end);
  return bytes.substr(from, to - from);
}

bool freesStringBody(const TNativeFunction* native) {
  return native && native->handler == nativeFreeBody;
}

std::span<const NativeEntry> stringNatives() {
  return kStringNatives;
}

}  // namespace zunka::vm
