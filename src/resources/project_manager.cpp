#include "resources/project_manager.h"

#include "resources/resources_state.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/custom_resource.h"
#include "resources/environment_store.h"
#include "resources/page_hash.h"
#include "resources/param.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/sgml.h"
#include "resources/tag_dispatch.h"
#include "resources/trusted_folders.h"
#include "vm/console.h"

namespace zunka {
namespace {

constexpr const char* kProjectFileName = "default.zunkaprj";
constexpr const char* kNewProjectText =
    "<resourcelist name=\"project\">\r\n <resourcelist name=\"pages\">\r\n </resourcelist>\r\n"
    "</resourcelist>\r\n";
constexpr const char* kNewerVersionMessage =
    "このプロジェクトは正常に動作しない可能性があります。Zunkaの最新版をダウンロードしてください。";

TResource* find(std::string_view path) {
  return resourceTree().root ? resourceTree().root->Find(path) : nullptr;
}

TResourceList* findList(std::string_view path) {
  return dynamic_cast<TResourceList*>(find(path));
}

std::string projectFileOf(std::string_view pageFile) {
  return ParentDir(pageFile) + "\\" + kProjectFileName;
}

bool hasExtension(std::string_view file, std::string_view ext) {
  return file.size() > ext.size() &&
         platform::foldAsciiCase(file.substr(file.size() - ext.size())) ==
             platform::foldAsciiCase(ext);
}

// The list at `path`, attached as a new empty list when missing.
std::string ensureList(std::string_view path) {
  if (!find(path) && find(ParentPath(path)))
    AttachAt(path, MakeResource<TResourceList>(std::string(LastName(path))));
  return std::string(path);
}

// Restores workDir however the scope is left.
class WorkDirScope {
 public:
  explicit WorkDirScope(std::string dir) : saved_(std::move(resourceTree().workDir)) {
    resourceTree().workDir = std::move(dir);
  }
  ~WorkDirScope() { resourceTree().workDir = std::move(saved_); }
  WorkDirScope(const WorkDirScope&) = delete;
  WorkDirScope& operator=(const WorkDirScope&) = delete;

 private:
  std::string saved_;
};

// savedVersion as a number; nothing when it is not a whole decimal number.
bool parseVersion(const std::string& text, int64_t& version) {
  if (text.empty() || text.size() > 12) return false;
  version = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    version = version * 10 + (c - '0');
  }
  return true;
}

}  // namespace

TPrjManager& prjManager() {
  ResourcesState& state = resourcesState();
  return state.projectManager ? *state.projectManager : state.fallbackProjects;
}

void setPrjManager(TPrjManager* manager) {
  resourcesState().projectManager = manager;
}

// --- Where things are ---

std::string TPrjManager::PagesPath() const {
  return find("project.pages") ? "project.pages" : ProjectPath();
}

std::string TPrjManager::ClassesPath() const {
  return ensureList("project.classes");
}

std::string TPrjManager::SoundsPath() const {
  return ensureList("project.sounds");
}

TResourceList* TPrjManager::PageList() const {
  return findList(PagesPath());
}

TResourceList* TPrjManager::ClassList() const {
  TResourceList* list = findList(ClassesPath());
  if (!list) LogError("TPrjManager.getClassList :: !?", {}, true);
  return list;
}

TResourceList* TPrjManager::SoundList() const {
  TResourceList* list = findList(SoundsPath());
  if (!list) LogError("TPrjManager.getSoundList :: !?", {}, true);
  return list;
}

// --- Parameters ---

// A parameter by its whole name: a name may hold a "." ("level.best"), which a
// path would take for a step into a list.
TfParam* TPrjManager::paramNamed(std::string_view name) const {
  TResourceList* params = findList(ParamsPath());
  return params ? dynamic_cast<TfParam*>(params->FindChild(name)) : nullptr;
}

std::string TPrjManager::GetParam(std::string_view name) const {
  TfParam* param = paramNamed(name);
  return param ? param->value : std::string();
}

void TPrjManager::SetParam(std::string_view name, std::string_view value) {
  if (TfParam* param = paramNamed(name)) {
    param->value = std::string(value);
  } else if (TResourceList* params = findList(ParamsPath())) {
    ResourcePtr made = ParseResourceText("<param name=\"" + EscapeAttr(name) + "\" value=\"" +
                                         EscapeAttr(value) + "\"/>");
    if (made) {
      // Added by hand rather than through the path: a name may hold a ".".
      made->setName(std::string(name));
      params->Add(std::move(made));
    }
  }
  ApplyParam(name);
}

void TPrjManager::ApplyParam(std::string_view name) const {
  std::string key = platform::foldAsciiCase(name);
  bool on = GetParam(name) == "1";
  if (key == "deactivation_disablekey")
    projectState().disableKeysWhenInactive = on;
  else if (key == "deactivation_pause")
    projectState().pauseWhenInactive = on;
  else if (key == "disable_pause")
    projectState().pauseDisabled = on;
}

// --- Projects and the page list ---

bool TPrjManager::projectIsOpen() const {
  return resourceTree().root && resourceTree().root->FindChild(ProjectPath());
}

bool TPrjManager::IsOtherProject(std::string_view pageFile) const {
  return !SamePath(projectFile_, projectFileOf(pageFile));
}

void TPrjManager::OpenProjectOfPage(std::string_view pageFile) {
  if (!projectFile_.empty() && FileNamePart(projectFile_) != kProjectFileName) return;
  projectFile_ = projectFileOf(pageFile);
  projectOpening_ = true;
  classesReady_ = false;
  if (platform::fileExists(projectFile_)) {
    LoadProject(projectFile_);
  } else if (InOpenedFolder(projectFile_, Access::Write) &&
             platform::writeFile(projectFile_, kNewProjectText)) {
    LoadProject(projectFile_);
  } else {
    // A page somewhere else (a download, another user's folder): its project is
    // played as an empty one, and the folder stays as it was.
    attachProject(projectFile_, false);
  }
  if (!find("project.pages")) Log("!?---");
  ScanPages(pageFile);
}

void TPrjManager::LoadProject(std::string_view file) {
  std::string path = ResolvePath(file, platform::currentDirectory());
  if (platform::fileExists(path)) attachProject(path, true);
}

void TPrjManager::attachProject(const std::string& path, bool fromFile) {
  if (projectIsOpen()) {
    StopAndForget();
    RemoveAt(ProjectPath());
  }
  projectFile_ = path;
  {
    WorkDirScope projectDir(ParentDir(path));
    if (fromFile)
      CreateResourceAt(path, ProjectPath(), NewResourceKind::Link);
    else
      AttachAt(ProjectPath(), ParseResourceText(kNewProjectText));
  }
  CountProjectFiles();
  if (!find(ParamsPath())) CreateResourceAt("", ParamsPath(), NewResourceKind::List);
  if (GetParam("commentID").empty()) SetParam("commentID", std::to_string(platform::tickCount()));
  if (GetParam("sound_stopOnPageLoad").empty()) SetParam("sound_stopOnPageLoad", "1");
  // A project that leaves a behaviour parameter out gets the player's default,
  // not what the project opened before it chose.
  const ProjectState defaults;
  projectState().disableKeysWhenInactive = defaults.disableKeysWhenInactive;
  projectState().pauseWhenInactive = defaults.pauseWhenInactive;
  projectState().pauseDisabled = defaults.pauseDisabled;
  if (TResourceList* params = findList(ParamsPath())) {
    for (int i = 0; i < params->count(); ++i) ApplyParam(params->childAt(i)->name());
  }
  applySavedVersion();
}

// A project last opened by this version or an older one (or by one that did not
// record its version) is taken over silently: it is marked with this version. A
// project from a later version may use what this player lacks; it is opened all
// the same, with a warning, and keeps its mark so that the later version still
// recognises it. A mark that is not a number cannot come from any version and is
// overwritten.
void TPrjManager::applySavedVersion() {
  std::string saved = GetParam("savedVersion");
  int64_t version = 0;
  if (parseVersion(saved, version) && version > kProjectVersion) {
    LogError(kNewerVersionMessage, {}, true);
    return;
  }
  SetParam("savedVersion", std::to_string(kProjectVersion));
}

void TPrjManager::ScanPages(std::string_view pageFile) {
  if (!projectIsOpen()) return;
  if (TResourceList* pages = PageList()) {
    // Without a pages list the entries stand in the project list itself, next to
    // the parameters and classes, which must stay.
    bool ownList = PagesPath() != ProjectPath();
    std::unique_ptr<TIterator> it = pages->CreateIterator();
    while (it->HasNext()) {
      TResource* entry = it->Next();
      if (ownList || dynamic_cast<TCustomResource*>(entry)) it->RemoveCurrent();
    }
  }
  std::string dir = ParentDir(projectFile_);
  std::string current = platform::foldAsciiCase(ResolvePath(pageFile, dir));
  for (const std::string& file : platform::listDirectory(dir, platform::EntryKind::Files)) {
    if (!hasExtension(file, ".cmml")) continue;
    std::string name = "$page_" + BaseNameWithoutExt(file);
    AddPage(name, file);
    if (platform::foldAsciiCase(ResolvePath(file, dir)) == current) currentPageName_ = name;
  }
}

void TPrjManager::AddPage(std::string_view name, std::string_view file) {
  TResourceList* pages = PageList();
  if (!pages) return;
  std::string unique = UniqueChildName(*pages, name);
  // Page files are named relative to the project, whatever workDir is now.
  ResourcePtr page = ParseResourceText(
      "<page name=\"" + EscapeAttr(unique) + "\" src=\"" + EscapeAttr(file) + "\"/>",
      ParentDir(projectFile_));
  pages->Add(std::move(page));
}

void TPrjManager::FindCurrentPage() {
  TResourceList* pages = PageList();
  if (!pages) return;
  for (int i = 0; i < pages->count(); ++i) {
    TResource* entry = pages->childAt(i);
    if (!entry->src.empty() && SamePath(entry->src, currentPageFile_))
      currentPageName_ = entry->name();
  }
}

void TPrjManager::CountProjectFiles() {
  TResource* project = find(ProjectPath());
  if (!project) return;
  TPageFileEnum files;
  project->Visit(files);
  pageHash_ = PageHash(files.files());
  projectState().debugFileList = {"$$$project files"};
  projectState().debugFileList.insert(projectState().debugFileList.end(), files.files().begin(),
                                      files.files().end());
}

// --- Recent pages ---

void TPrjManager::RememberRecentPage(std::string_view file) {
  recent_.Remember(file, ResolvePath("Usr", resourceTree().baseDir));
}

void TPrjManager::LoadRecentPages() {
  recent_.Load(environmentStore(), resourceTree().baseDir);
}

}  // namespace zunka
