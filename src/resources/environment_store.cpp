#include "resources/environment_store.h"

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/text_file.h"
#include "resources/user_storage.h"

namespace zunka {
namespace {

constexpr std::string_view kPrefix = "env:";

// The name part of a line ("env:NAME" before the first "="), ASCII case folded.
std::string foldedKey(std::string_view line) {
  return platform::foldAsciiCase(line.substr(0, line.find('=')));
}

std::string keyOf(std::string_view name) {
  return platform::foldAsciiCase(std::string(kPrefix) + std::string(name));
}

std::vector<std::string> splitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.emplace_back(bytes.substr(start, end - start));
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
        bytes[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

void TEnvironmentStore::Load(std::string_view path) {
  lines_.clear();
  std::string bytes;
  if (platform::fileExists(path) && platform::readFile(path, bytes, kLargestTextFile))
    lines_ = splitLines(bytes);
}

std::string TEnvironmentStore::GetEnv(std::string_view name) const {
  std::string key = keyOf(name);
  for (const std::string& line : lines_) {
    size_t eq = line.find('=');
    if (eq != std::string::npos && foldedKey(line) == key) return line.substr(eq + 1);
  }
  return {};
}

// Lines are matched ignoring ASCII case, as GetEnv reads them: a stale line in
// another spelling would otherwise come first and hide the new value.
void TEnvironmentStore::SetEnv(std::string_view name, std::string_view value) {
  std::string key = keyOf(name);
  for (size_t i = lines_.size(); i-- > 0;) {
    if (lines_[i].find('=') != std::string::npos && foldedKey(lines_[i]) == key)
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  lines_.push_back(std::string(kPrefix) + std::string(name) + "=" + std::string(value));
}

std::string EnvironmentFilePath() {
  const std::string& base = resourceTree().baseDir;
  std::string kernelFile = ResolvePath("Kernel\\Cookies.ini", base);
  const std::string& game = userStorage().gameDir;
  if (FolderTakesWrites(base) || game.empty()) return kernelFile;
  std::string folder = UserDataFolder(game);
  std::string userFile = folder.empty() ? std::string() : folder + "\\Cookies.ini";
  return !userFile.empty() && platform::fileExists(userFile) ? userFile : kernelFile;
}

}  // namespace zunka
