#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// The system's handle on the regular-expression service. Each call replaces the
// last result, which the caller then reads by index: the groups of a match or the
// pieces of a split. Errors are EError; a malformed expression carries the
// engine's message.
class TBRegExp {
 public:
  // True when `text` matches "/PAT/flags". The result holds group 0 (the whole
  // match) and the groups after it up to, not including, the first empty one, so a
  // group that took no part, and every group after it, is out of range.
  bool match(std::string_view expression, std::string_view text);

  // Applies "s/PAT/REPL/flags" to `text`; when anything was replaced `text` receives
  // the result and the call gives true. The result's count is the number of
  // replacements; it holds no strings.
  bool substitute(std::string_view expression, std::string& text);

  // Splits `text` with "/PAT/" (limit 0: no limit); the pieces become the result.
  // Gives their number.
  int split(std::string_view expression, std::string_view text, int limit);

  // The last result's count: raises "no count now" when there is none.
  int count() const;

  // The last result's string at `index`: raises "no strings now" when it holds no
  // strings, "index out of range" past its end.
  const std::string& at(int index) const;

  // Forgets the last result.
  void free();

 private:
  enum class Result { kNone, kCountOnly, kStrings };
  Result result_ = Result::kNone;
  int count_ = 0;
  std::vector<std::string> strings_;
};

}  // namespace zunka
