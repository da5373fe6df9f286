#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zunka {

// What the open project and its pages decide, shared by page loading, the project
// manager, start-up and the frame loop. Everything runs on one thread, so plain
// fields are enough.
struct ProjectState {
  // --- Where things are ---
  std::string fileToOpen;
  // Folders the user opened besides the base directory: the folder of the file named
  // on the command line (trusted_folders.h).
  std::vector<std::string> openedFolders;
  std::string applicationTitle = "Zunka System";  // caption of message boxes
  // The project's help file (path or URL).
  std::string helpFile;
  // The files the kernel tree was read from, in walk order. Their page hash is the
  // kernel's identity: few runs ever ask for it, so KernelId (page_hash.h) works
  // it out on first use and keeps it here.
  std::vector<std::string> kernelFiles;
  std::optional<int32_t> kernelId;

  // --- The frame ---
  // The frame now running is the last of its batch (or a single step): only then
  // do the drawing natives record sprites. True from the creation of the screen
  // window.
  bool drawFrame = false;

  // --- The page ---
  bool designMode = true;  // from start-up until a page runs, again after StartDesign
  bool noPageRunning = false;
  bool runtimeErrorSeen = false;  // cleared when a page is loaded and run
  // What the loading window would say ("コンパイルしています"); it shows none.
  std::string statusText;

  // --- Project behaviour flags (parameters of the open project) ---
  bool pauseDisabled = false;      // disable_pause = "1"
  bool pauseWhenInactive = false;  // deactivation_pause = "1"
  // Keys read as up while the window is in the background (deactivation_disablekey).
  bool disableKeysWhenInactive = true;

  // --- Debug window ---
  // The file list: the kernel's files after boot, "$$$project files" and the
  // project's files once a project opens.
  std::vector<std::string> debugFileList;
};

// The current player's.
ProjectState& projectState();

}  // namespace zunka
