#include "resources/trusted_folders.h"

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "vm/console.h"
#include "vm/errors.h"

namespace zunka {

bool LiesInside(std::string_view path, std::string_view dir) {
  // The text test first: ".." components are already resolved, so a path that
  // names a place outside says so; then the host's, for links inside `dir` that
  // lead out of it.
  return !dir.empty() && IsSameOrInside(path, dir) && platform::directoryExists(dir) &&
         platform::staysInsideOnHost(path, dir);
}

bool InOpenedFolder(std::string_view path, Access access) {
  // The base directory is the installation, trusted as it is laid out for
  // reading: its kernel library may well be a link to where it was built.
  // Nothing is written through a link out of it, though.
  const std::string& base = resourceTree().baseDir;
  if (access == Access::Read ? !base.empty() && IsSameOrInside(path, base) : LiesInside(path, base))
    return true;
  for (const std::string& folder : projectState().openedFolders)
    if (LiesInside(path, folder)) return true;
  return false;
}

bool MayReadSource(std::string_view path) {
  if (resourceTree().baseDir.empty()) return true;
  if (InOpenedFolder(path, Access::Read)) return true;
  const TPrjManager& projects = prjManager();
  return LiesInside(path, ParentDir(projects.projectFile())) ||
         LiesInside(path, ParentDir(projects.currentPageFile()));
}

void CheckSourceInside(std::string_view path) {
  if (MayReadSource(path)) return;
  LogError(std::string(path) + "はプロジェクトの外にあるので読み込めません", {}, true);
  throw EError("Cannot open file \"" + std::string(path) + "\"");
}

}  // namespace zunka
