#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The regular-expression service. Callers write Perl-style expressions in slash
// notation and expect Perl's results, so match, substitution and split follow
// Perl 5 rules; the matching itself is PCRE2's.
//
// Shift_JIS design. Subjects and expressions are Shift_JIS, whose trail bytes
// overlap ASCII (表 is 95 5C), so matching bytes would cut characters apart. The
// service therefore decodes expression and subject to UTF-8 and matches in PCRE2's
// UTF mode, one character per double-byte character. Every result is cut from the
// caller's original bytes through an offset map, never re-encoded, so text outside
// the matches comes back byte for byte even where code page 932 does not round-trip.
// A byte that starts no valid character becomes a private-use character of its own
// (U+10FF00 + byte): it matches `.`, negated classes and itself, and text that is
// not valid Shift_JIS still works and comes back unchanged.
// A pattern that speaks of bytes (an escape of 0x80 or more such as \x80, or a raw
// byte that is not valid Shift_JIS) is matched byte for byte instead, on the raw
// subject, as it was written to be; double-byte characters in such a pattern are
// matched as their two bytes. \w, \d, \s and \b are ASCII-only in both modes.
namespace zunka::platform {

// A malformed expression, or a match the engine gave up on; the message is the
// engine's, followed by the expression.
class RegexError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Matches "/PAT/flags" (or "m<d>PAT<d>flags") against text. On a match, `groups`
// receives group 0 (the whole match) and every capture group; a group that took
// no part is empty. Returns false, with `groups` cleared, when there is no match.
bool regexMatch(std::string_view expression, std::string_view text,
                std::vector<std::string>& groups);

struct SubstitutionResult {
  std::string text;      // the text after substitution (a copy of the input when none)
  int replacements = 0;  // how many matches were replaced
};

// Applies "s/PAT/REPL/flags". The replacement is read as Perl reads it: $&, $1...
// (and $0, the whole match), ${1}, $`, $', $+, \1..\9, \n \t \r \f \a \e, octal,
// \cX, \xHH and \x{...} escapes (below 0x100 a byte, above a character written in
// Shift_JIS), \U \L \u \l \Q \E (ASCII letters only); any other backslashed
// character stands for itself. A $ not starting one of those forms, and @, are
// plain text: there are no variables to interpolate.
SubstitutionResult regexSubstitute(std::string_view expression, std::string_view text);

// Perl's split /PAT/, text, limit: limit > 0 gives at most that many fields, the
// last holding the rest; 0 gives all fields with empty trailing ones removed; a
// negative limit gives all fields. Captures in the pattern add fields; an empty
// text gives no fields.
std::vector<std::string> regexSplit(std::string_view expression, std::string_view text, int limit);

// The global-variable name check, the same names as
// "/^\$([\_A-Za-z0-9]|([\x80-\x9f\xa0-\xff].))*$/" accepts matched byte-wise: "$",
// then ASCII letters, digits and '_' or pairs of a byte of 0x80 or more and any
// byte but a line feed; like the pattern's $, one final line feed is allowed.
bool isValidGlobalName(std::string_view name);

}  // namespace zunka::platform
