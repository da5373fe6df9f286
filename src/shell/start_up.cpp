#include "shell/start_up.h"

#include <exception>

#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "shell/shell_errors.h"

namespace zunka {

void StartUp::firstPaint(const std::string& baseDirectory, const std::string& commandFile) {
  if (state_.booting || state_.booted) return;  // later paints only redraw
  state_.booting = true;
  try {
    run(baseDirectory, commandFile);
  } catch (const std::exception& e) {
    reportApplicationException(e);
  }
}

void StartUp::run(const std::string& baseDirectory, const std::string& commandFile) {
  initialiseSystem(baseDirectory, commandFile);
  boot_.initialiseSystem();
  projectState().noPageRunning = true;
  boot_.boot();
  boot_.loadProject();
  state_.booting = false;
  state_.booted = true;
  if (!projectState().fileToOpen.empty()) {
    std::string file = std::move(projectState().fileToOpen);
    projectState().fileToOpen.clear();
    boot_.startPage(file);
  }
  boot_.afterStart();
}

void StartUp::initialiseSystem(const std::string& baseDirectory, const std::string& commandFile) {
  std::string base = platform::absoluteHostPath(baseDirectory).value_or(baseDirectory);
  resourceTree().baseDir = StripTrailingBackslash(platform::systemPath(base));
  resourceTree().workDir = resourceTree().baseDir;
  projectState().fileToOpen.clear();
  projectState().openedFolders.clear();
  projectState().noPageRunning = true;
  // Made absolute now: the current directory is about to become baseDir.
  if (!commandFile.empty() && platform::hostFileExists(commandFile)) {
    projectState().fileToOpen =
        platform::systemPath(platform::absoluteHostPath(commandFile).value_or(commandFile));
    projectState().openedFolders.push_back(ParentDir(projectState().fileToOpen));
  }
  platform::setCurrentHostDirectory(base);
}

}  // namespace zunka
