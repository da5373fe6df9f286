#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/recent_pages.h"

namespace zunka {

class TResourceList;
class TRTTI;
class TfParam;

// The open project and its pages. A project is a directory holding
// default.zunkaprj (linked under `project`: page list, parameters, the classes
// and sounds gathered from its pages) and its *.cmml pages; the current page is
// linked under `usr`. Loading a page links it, opens its project when it belongs
// to another one, compiles the project's classes, and the page then runs as one
// root process on a new instance of the class found at `Boot`: its method
// "execute" plays the page, "design" edits it. Page changes that scripts ask for
// are carried out between frames.
class TPrjManager {
 public:
  // --- Where things are ---
  static std::string ProjectPath() { return "project"; }
  static std::string ParamsPath() { return "project.params"; }
  // project.pages when it exists, else project.
  std::string PagesPath() const;
  // project.classes and project.sounds, made as empty lists when missing.
  std::string ClassesPath() const;
  std::string SoundsPath() const;
  TResourceList* PageList() const;
  // The lists, or nullptr after showing "TPrjManager.get…List :: !?".
  TResourceList* ClassList() const;
  TResourceList* SoundList() const;

  // --- Parameters (text values under project.params) ---
  std::string GetParam(std::string_view name) const;
  // Changes the parameter, or adds it when the parameter list exists.
  void SetParam(std::string_view name, std::string_view value);
  // Sets the screen's behaviour flag a parameter selects (when it selects one).
  void ApplyParam(std::string_view name) const;

  // --- Projects and the page list ---
  bool IsOtherProject(std::string_view pageFile) const;
  // Opens the project of the page's directory and lists its pages; keeps a project
  // that is not a default.zunkaprj. A directory without a project file gets an
  // empty one when it lies in a folder the user opened (trusted_folders.h);
  // elsewhere the empty project lives in memory only and nothing is written.
  void OpenProjectOfPage(std::string_view pageFile);
  // Links the project file (closing the open project first), hashes its files
  // and sets the parameters' defaults.
  void LoadProject(std::string_view path);
  // Rebuilds the page list from the *.cmml files of the project directory.
  void ScanPages(std::string_view pageFile);
  void AddPage(std::string_view name, std::string_view file);
  void FindCurrentPage();
  void CountProjectFiles();

  // --- Pages ---
  // Whether `file` (absolute) can be loaded as a page: a regular file of at most
  // kLargestTextFile bytes whose first element is a resource list. Otherwise shows
  // FILE + "はありません" (missing, or not a regular file) or FILE + "はページではありません"
  // and gives false; nothing is read as a page and nothing is written.
  static bool CheckPageFile(const std::string& file);
  // Links and compiles a page (the running one is stopped); true when its classes
  // are ready. A file CheckPageFile refuses leaves everything as it was.
  bool LoadPage(std::string_view file);
  // Loads the page and starts it in play mode; errors are shown, the page stays
  // stopped.
  void LoadPageAndRun(std::string_view file);
  // Starts the loaded page in design mode.
  void StartDesign();
  // Loads the current page again and plays it.
  void ReloadPage();
  // No root process any more.
  void StopPage();
  // Stops the page and lets go of every script object the tree holds.
  void StopAndForget();

  // Page changes asked for while a frame runs wait for the frame loop. A request
  // for a file that is no page is reported and the current page runs on.
  void RequestPage(std::string_view file, bool designMode);
  bool HasRequest() const { return !requestedPage_.empty(); }
  void ProcessRequest();

  // --- Recent pages ---
  void RememberRecentPage(std::string_view file);
  void LoadRecentPages();
  const TRecentPages& recentPages() const { return recent_; }

  const std::string& projectFile() const { return projectFile_; }
  const std::string& currentPageName() const { return currentPageName_; }
  const std::string& currentPageFile() const { return currentPageFile_; }
  int32_t pageHash() const { return pageHash_; }
  bool classesReady() const { return classesReady_; }

 private:
  TfParam* paramNamed(std::string_view name) const;
  bool projectIsOpen() const;
  // Opens the project at `path`: linked from the file, or the empty project when
  // `fromFile` is false (see OpenProjectOfPage).
  void attachProject(const std::string& path, bool fromFile);
  void applySavedVersion();
  void mergePageLists();
  void ensureScreenGlobals() const;
  bool startRoot(const char* method);

  std::string projectFile_;
  std::string currentPageName_;
  std::string requestedPage_;
  bool requestedDesign_ = false;
  int32_t pageHash_ = 0;
  std::string currentPageFile_;
  bool classesReady_ = false;
  bool projectOpening_ = false;
  TRecentPages recent_;
};

// The project manager natives and page loading talk to: the one installed by the
// player's boot, else the resource layer's default one.
TPrjManager& prjManager();
void setPrjManager(TPrjManager* manager);

// The version written into savedVersion; projects saved by a later version open
// with a warning.
inline constexpr int32_t kProjectVersion = 1210;

}  // namespace zunka
