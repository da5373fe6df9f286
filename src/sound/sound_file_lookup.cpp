#include "sound/sound_file_lookup.h"

#include <vector>

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/project_manager.h"
#include "resources/resource_tree.h"

namespace zunka::sound {
namespace {

bool insideOneOf(const std::string& path, std::span<const std::string> folders) {
  for (const std::string& folder : folders)
    if (!folder.empty() && IsSameOrInside(path, folder) && !SamePath(path, folder)) return true;
  return false;
}

}  // namespace

std::string FindSoundFile(std::string_view name, std::span<const std::string> folders,
                          const std::function<bool(const std::string&)>& exists) {
  std::string cleaned(name);
  for (char& c : cleaned)
    if (c == '/') c = '\\';
  if (cleaned.empty()) return {};
  if (IsAbsolutePath(cleaned))
    return insideOneOf(cleaned, folders) && exists(cleaned) ? cleaned : std::string();
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    // ResolvePath folds ".." away: what is left must still be inside one of the
    // folders.
    std::string path = ResolvePath(cleaned, folder);
    if (insideOneOf(path, folders) && exists(path)) return path;
  }
  return {};
}

std::string FindSoundFile(std::string_view name) {
  const std::string& base = resourceTree().baseDir;
  std::vector<std::string> folders{
      ParentDir(prjManager().currentPageFile()),
      ParentDir(prjManager().projectFile()),
      base.empty() ? std::string() : StripTrailingBackslash(base) + "\\kernel",
  };
  return FindSoundFile(name, folders,
                       [](const std::string& path) { return platform::fileExists(path); });
}

}  // namespace zunka::sound
