#pragma once
#include <string>
#include <string_view>

#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka::vm {

// The byte buffer of a script string (Shift_JIS bytes, any length). A string
// object keeps it as a host value in its `_body` member; only the string class's
// `_free_body` native frees it.
class TfString : public HostObject {
 public:
  static constexpr HostKind kHostKind = HostKind::String;
  explicit TfString(std::string text);
  ~TfString() override;
  const char* hostClassName() const override { return "TfString"; }

  // A body comes and goes with nearly every string a script makes: the memory of
  // the ones deleted is kept for the next ones rather than handed back each time.
  static void* operator new(size_t bytes);
  static void operator delete(void* body, size_t bytes);

  std::string bytes;
};

// The longest string a script can make (bytes).
inline constexpr size_t kMaxStringBytes = size_t(1) << 28;

// A new string object holding `text`, as an object value with count 0: the
// receiver's store takes the first reference.
TValue newString(std::string_view text);
// Replaces `dst` with a new string (retained by `dst`).
void setString(TValue& dst, std::string_view text);

// The body of a string object, or nullptr when it has none (or it was freed).
TfString* stringBodyOf(TfObject* o);
// The same for a record already known to be of the String class.
TfString* bodyOfString(TfObject* o);
// True when the value refers to an object of exactly the string class.
bool isString(const TValue& v);

}  // namespace zunka::vm
