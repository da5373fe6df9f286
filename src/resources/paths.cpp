#include "resources/paths.h"

#include "platform/sjis_text.h"

namespace zunka {
namespace {

bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Only a path whose last byte is a backslash needs the walk that tells a
// separator from the second byte of a double-byte character.
bool endsWithBackslash(std::string_view p) {
  return !p.empty() && p.back() == '\\' && platform::findLastSjisChar(p, '\\') == p.size() - 1;
}

std::string_view withoutTrailingBackslash(std::string_view p) {
  if (endsWithBackslash(p)) p.remove_suffix(1);
  return p;
}

}  // namespace

bool IsAbsolutePath(std::string_view p) {
  if (p.empty()) return false;
  if (p[0] == '\\') return true;
  return p.size() >= 3 && isAsciiLetter(p[0]) && p[1] == ':' && p[2] == '\\';
}

std::string StripTrailingBackslash(std::string_view p) {
  return std::string(withoutTrailingBackslash(p));
}

std::string ParentDir(std::string_view p) {
  if (p.empty()) return "";
  std::string s = StripTrailingBackslash(p);
  size_t cut = platform::findLastSjisChar(s, '\\');
  s.resize(cut == std::string::npos ? 0 : cut + 1);
  return StripTrailingBackslash(s);
}

std::vector<std::string> SplitPath(std::string_view p) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t at = platform::findSjisChar(p, '\\', start);
    if (at == std::string_view::npos) {
      pieces.emplace_back(p.substr(start));
      break;
    }
    pieces.emplace_back(p.substr(start, at - start));
    start = at + 1;
  }
  while (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
  return pieces;
}

std::string ResolvePath(std::string_view rel, std::string_view base) {
  if (rel.empty()) return "";
  if (IsAbsolutePath(rel)) return std::string(rel);
  if (base.empty()) return "";
  // Piece by piece as SplitPath gives them, without the list: every resource and
  // class file of a start resolves its path. Empty pieces count (each adds a
  // separator) unless nothing but empty pieces follows them.
  std::string result(withoutTrailingBackslash(base));
  result.reserve(result.size() + rel.size() + 1);
  size_t pendingEmpty = 0;
  for (size_t start = 0;;) {
    size_t at = platform::findSjisChar(rel, '\\', start);
    std::string_view piece = rel.substr(start, at == std::string_view::npos ? at : at - start);
    if (piece.empty()) {
      ++pendingEmpty;
    } else {
      result.append(pendingEmpty, '\\');
      pendingEmpty = 0;
      if (piece == "..") {
        result = ParentDir(result);
      } else if (piece != ".") {
        result += '\\';
        result += piece;
      }
    }
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return result;
}

bool IsSameOrInside(std::string_view path, std::string_view dir) {
  // Compared under the fold as they stand, without folded copies.
  path = withoutTrailingBackslash(path);
  dir = withoutTrailingBackslash(dir);
  if (platform::sameFolded(path, dir)) return true;
  return path.size() > dir.size() && path[dir.size()] == '\\' &&
         platform::sameFolded(path.substr(0, dir.size()), dir);
}

std::string CommonDir(std::string_view a, std::string_view b) {
  // Each step shortens `a` by one component, so the walk ends at the top.
  std::string dir(a);
  while (!dir.empty() && !b.empty()) {
    if (IsSameOrInside(dir, b)) return std::string(b);
    if (IsSameOrInside(b, dir)) return dir;
    dir = ParentDir(dir);
  }
  return "";
}

std::string RelativePath(std::string_view path, std::string_view base) {
  if (path.empty()) return "";
  if (!IsAbsolutePath(path)) return std::string(path);
  std::string p = StripTrailingBackslash(path);
  std::string b = StripTrailingBackslash(base);
  std::string result;
  for (;;) {
    if (IsSameOrInside(p, b)) {
      if (p.size() > b.size()) result += p.substr(b.size() + 1);
      return result;
    }
    b = ParentDir(b);
    if (b.empty()) return std::string(path);
    result += "..\\";
  }
}

bool SamePath(std::string_view a, std::string_view b) {
  return platform::sameFolded(withoutTrailingBackslash(a), withoutTrailingBackslash(b));
}

std::string FileNamePart(std::string_view p) {
  size_t cut = platform::findLastSjisChar(p, '\\');
  return std::string(cut == std::string_view::npos ? p : p.substr(cut + 1));
}

std::string BaseNameWithoutExt(std::string_view p) {
  std::string name = FileNamePart(p);
  size_t dot = platform::findLastSjisChar(name, '.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string ParentPath(std::string_view path) {
  size_t dot = platform::findLastSjisChar(path, '.');
  return dot == std::string_view::npos ? "" : std::string(path.substr(0, dot));
}

std::string LastName(std::string_view path) {
  size_t dot = platform::findLastSjisChar(path, '.');
  return std::string(dot == std::string_view::npos ? path : path.substr(dot + 1));
}

}  // namespace zunka
