#include "resources/global_value.h"

#include <optional>
#include <string_view>

#include "platform/sjis_text.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/runtime.h"
#include "vm/symbols.h"
#include "vm/tfstring.h"

namespace zunka {

using namespace vm;

namespace {

Ref newCell(const std::string& name) {
  initializeRuntime();
  Ref cell = Arena::allocate(sizeof(TValue));
  *valueAt(cell) = TValue::ofRef(vtUnset, symbols::intern(name));
  return cell;
}

// The string as a script literal. Quotes and backslashes are escaped so that the
// value reads back unchanged when the initial value runs; the second byte of a
// double-byte character is copied as it is, even when it looks like a backslash.
std::string stringLiteral(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); i += platform::sjisCharLength(text, i)) {
    size_t n = platform::sjisCharLength(text, i);
    char c = text[i];
    if (n == 2) {
      out.append(text.substr(i, 2));
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

TGlobalValue::TGlobalValue(std::string name)
    : TResource(std::move(name)), cell_(newCell(this->name())) {}

TGlobalValue::TGlobalValue(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir), initText(tag.GetAttr("value")), cell_(newCell(name())) {}

TGlobalValue::~TGlobalValue() {
  ReleaseValue();
  // The cell stays allocated: compiled code elsewhere may still hold a pointer to
  // it, and its reads and writes must land in an empty cell rather than in
  // whatever record would reuse the block.
}

void TGlobalValue::ReleaseValue() {
  TValue old = value();
  value() = TValue{};
  // An object whose class went first (the tree is torn down in order) is gone
  // already: there is no count left to take back.
  if (old.kind == vtObject && !objectOf(old)) return;
  try {
    release(old);
  } catch (const EError& e) {
    Log(e.message());
  }
}

namespace {

// The value of an initial text that is a plain decimal number the script would
// read as an integer ("0", "560"): most globals start so, and compiling a
// snippet for each, on every pass, was a tenth of the player's start-up.
std::optional<int32_t> plainInteger(std::string_view text) {
  if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

void TGlobalValue::InitPass(TInitContext& context) {
  ++context.done;
  if (initText.empty()) return;
  if (std::optional<int32_t> number = plainInteger(initText))
    setInt(value(), *number);
  else
    RunSnippet(name() + "=" + initText + ";");
}

std::string InitialValueText(const TValue& v) {
  if (v.kind == vtInt) return std::to_string(v.i);
  if (isString(v)) return stringLiteral(toText(v));
  return "";
}

void TGlobalValue::WriteTag(std::vector<std::string>& lines, const std::string& indent, int) {
  initText = !name().empty() && name()[0] == '$' ? InitialValueText(value()) : "";
  lines.push_back(indent + "<globalvalue name=\"" + EscapeAttr(name()) + "\" value=\"" +
                  EscapeAttr(initText) + "\"/>");
}

void TGlobalValue::ForgetObjects() {
  TResource::ForgetObjects();
  if (value().kind == vtObject || value().kind == vtHost) value() = TValue{};
}

void TGlobalValue::Mark() {
  TResource::Mark();
  MarkValue(value());
}

void TGlobalValue::Dispose() {
  ReleaseValue();
  TResource::Dispose();
}

}  // namespace zunka
