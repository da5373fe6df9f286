#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// File paths inside the system keep the form the games were written with: `\`
// separators, absolute paths starting with `\` or a drive ("C:\"). Only the
// platform file layer turns them into host paths. Comparisons ignore ASCII letter
// case, and a `\` that is the second byte of a double-byte character is part of
// that character, never a separator.
//
// Several helpers are substitutions and matches in the system's own regular
// expression notation; each comment names the expression it reproduces.

// /^[a-zA-Z]\:\\/ or /^\\/ (never true for the empty path).
bool IsAbsolutePath(std::string_view p);
// Removes one trailing `\`.
std::string StripTrailingBackslash(std::string_view p);
// Strip, then s/[^\\]*$//, then strip again: "\a\b" gives "\a", "\a" gives "".
std::string ParentDir(std::string_view p);
// `rel` applied to `base` component by component (".." goes up, "." stays).
// An absolute `rel` is returned as it is; a relative one without a base gives "".
std::string ResolvePath(std::string_view rel, std::string_view base);
// True when `path` is `dir` or lies below it.
bool IsSameOrInside(std::string_view path, std::string_view dir);
// The deepest directory holding both (empty when either is empty).
std::string CommonDir(std::string_view a, std::string_view b);
// `path` written relative to `base` ("..\x\y"); `path` itself when they share no
// directory, and unchanged when it is already relative.
std::string RelativePath(std::string_view path, std::string_view base);
bool SamePath(std::string_view a, std::string_view b);
// The part after the last `\`.
std::string FileNamePart(std::string_view p);
// The file name with s/\.[^.]*$// applied.
std::string BaseNameWithoutExt(std::string_view p);
// The pieces of `p` between `\` separators, as a split by /\\/ gives them:
// trailing empty pieces are dropped.
std::vector<std::string> SplitPath(std::string_view p);

// Dotted resource paths: the text before the last "." (empty without one), and the
// text after it (the whole path without one).
std::string ParentPath(std::string_view path);
std::string LastName(std::string_view path);

}  // namespace zunka
