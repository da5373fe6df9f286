#include "debugger/source_files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "resources/resource_tree.h"
#include "shell/player_console.h"
#include "vm/class_object.h"

namespace zunka::debugger {

SourceText::SourceText(std::string text) : text_(std::move(text)) {
  lineStarts_.push_back(0);
  for (size_t i = 0; i < text_.size(); ++i)
    if (text_[i] == '\n' && i + 1 < text_.size()) lineStarts_.push_back(i + 1);
}

int SourceText::lineAt(size_t offset) const {
  auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  return int(after - lineStarts_.begin());
}

std::string_view SourceText::line(int n) const {
  if (n < 1 || n > lineCount()) return {};
  size_t start = lineStarts_[size_t(n - 1)];
  size_t end = n < lineCount() ? lineStarts_[size_t(n)] : text_.size();
  std::string_view line(text_.data() + start, end - start);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

const SourceText* SourceFiles::get(const std::string& path) {
  auto found = files_.find(path);
  if (found == files_.end()) {
    std::optional<std::string> text = PlayerConsole::readSourceFile(resourceTree().baseDir, path);
    std::optional<SourceText> source;
    if (text) source.emplace(std::move(*text));
    found = files_.emplace(path, std::move(source)).first;
  }
  return found->second ? &*found->second : nullptr;
}

std::optional<int32_t> statementOffset(const vm::TCompiledInfo& code, vm::Ref address) {
  const auto& points = code.symbols().points;
  for (auto it = points.rbegin(); it != points.rend(); ++it)
    if (code.code() + uint32_t(it->second) < address) return std::atoi(it->first.c_str());
  return std::nullopt;
}

std::optional<SourcePlace> placeOf(const vm::TCompiledInfo& code, vm::Ref address,
                                   SourceFiles& files) {
  // The next instruction stands at `address`: a statement starting exactly there
  // is the one it belongs to (the lookup wants a start before the address).
  std::optional<int32_t> offset = statementOffset(code, address + 1);
  if (!offset || !code.owner()) return std::nullopt;
  const std::string& path = code.owner()->sourcePath();
  const SourceText* text = files.get(path);
  if (!text) return std::nullopt;
  return SourcePlace{path, text->lineAt(size_t(std::max(*offset, 0)))};
}

namespace {

bool sameName(char a, char b) {
  if (a == '\\') a = '/';
  if (b == '\\') b = '/';
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

bool pathNames(std::string_view path, std::string_view file) {
  if (file.empty() || file.size() > path.size()) return false;
  std::string_view tail = path.substr(path.size() - file.size());
  if (!std::equal(tail.begin(), tail.end(), file.begin(), sameName)) return false;
  if (tail.size() == path.size()) return true;
  char before = path[path.size() - file.size() - 1];
  return before == '/' || before == '\\';
}

std::string_view fileNameOf(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace zunka::debugger
