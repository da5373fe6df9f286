#include "vm/natives/regexp.h"

#include "platform/regex_engine.h"
#include "vm/errors.h"

namespace zunka {
namespace {

// Runs one engine call; a failure leaves no result and reaches the caller as EError.
template <typename Call>
auto guarded(TBRegExp& owner, Call call) {
  try {
    return call();
  } catch (const platform::RegexError& error) {
    owner.free();
    throw EError(error.what());
  }
}

}  // namespace

bool TBRegExp::match(std::string_view expression, std::string_view text) {
  free();
  bool matched = guarded(*this, [&] { return platform::regexMatch(expression, text, strings_); });
  size_t counted = 0;
  while (counted < strings_.size() && !strings_[counted].empty()) ++counted;
  strings_.resize(counted);
  count_ = static_cast<int>(counted);
  result_ = Result::kStrings;
  return matched;
}

bool TBRegExp::substitute(std::string_view expression, std::string& text) {
  free();
  platform::SubstitutionResult substituted =
      guarded(*this, [&] { return platform::regexSubstitute(expression, text); });
  count_ = substituted.replacements;
  result_ = Result::kCountOnly;
  if (substituted.replacements == 0) return false;
  text = std::move(substituted.text);
  return true;
}

int TBRegExp::split(std::string_view expression, std::string_view text, int limit) {
  free();
  strings_ = guarded(*this, [&] { return platform::regexSplit(expression, text, limit); });
  count_ = static_cast<int>(strings_.size());
  result_ = Result::kStrings;
  return count_;
}

int TBRegExp::count() const {
  if (result_ == Result::kNone) throw EError("no count now");
  return count_;
}

const std::string& TBRegExp::at(int index) const {
  if (result_ != Result::kStrings) throw EError("no strings now");
  if (index < 0 || static_cast<size_t>(index) >= strings_.size())
    throw EError("index out of range");
  return strings_[static_cast<size_t>(index)];
}

void TBRegExp::free() {
  result_ = Result::kNone;
  count_ = 0;
  strings_.clear();
}

}  // namespace zunka
