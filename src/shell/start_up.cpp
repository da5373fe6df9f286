#include "shell/start_up.h"

#include <exception>

#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/paths.h"
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
  state_.noPageRunning = true;
  boot_.boot();
  boot_.loadProject();
  state_.booting = false;
  state_.booted = true;
  if (!state_.fileToOpen.empty()) {
    std::string file = std::move(state_.fileToOpen);
    state_.fileToOpen.clear();
    boot_.startPage(file);
  }
  boot_.afterStart();
}

void StartUp::initialiseSystem(const std::string& baseDirectory, const std::string& commandFile) {
  std::string base = platform::absoluteHostPath(baseDirectory).value_or(baseDirectory);
  state_.baseDir = StripTrailingBackslash(platform::systemPath(base));
  resourceTree.baseDir = state_.baseDir;
  resourceTree.workDir = state_.baseDir;
  state_.fileToOpen.clear();
  state_.noPageRunning = true;
  // Made absolute now: the current directory is about to become baseDir.
  if (!commandFile.empty() && platform::hostFileExists(commandFile))
    state_.fileToOpen =
        platform::systemPath(platform::absoluteHostPath(commandFile).value_or(commandFile));
  platform::setCurrentHostDirectory(base);
}

}  // namespace zunka
