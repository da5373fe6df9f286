// Loading, starting and stopping pages, and the page requests scripts make.
#include <cctype>
#include <exception>

#include "debug/time_analyzer.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/environment_store.h"
#include "resources/paths.h"
#include "resources/player_hosts.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "resources/text_file.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka {
namespace {

// Time-analyser sections of page loading.
constexpr int kSectionForget = 1;
constexpr int kSectionRemovePage = 60;
constexpr int kSectionLinkPage = 61;
constexpr int kSectionCompile = 62;
constexpr int kSectionPatterns = 63;
constexpr int kSectionLoadPage = 65;

constexpr const char* kScreenGlobals[] = {"$screenWidth", "$screenHeight"};

TResource* find(std::string_view path) {
  return resourceTree().root ? resourceTree().root->Find(path) : nullptr;
}

TResourceList* findList(std::string_view path) {
  return dynamic_cast<TResourceList*>(find(path));
}

// Classes of the page file itself stay out of the alias table; the copies in
// the project's class list are the ones bare names find.
class AliasRegistrationOff {
 public:
  AliasRegistrationOff() { resourceTree().aliasRegistration = false; }
  ~AliasRegistrationOff() { resourceTree().aliasRegistration = true; }
  AliasRegistrationOff(const AliasRegistrationOff&) = delete;
  AliasRegistrationOff& operator=(const AliasRegistrationOff&) = delete;
};

void linkPage(const std::string& file) {
  AliasRegistrationOff off;
  {
    TimeSection remove(kSectionRemovePage);
    RemoveAt("usr");
  }
  TimeSection link(kSectionLinkPage);
  CreateResourceAt(file, "usr", NewResourceKind::Link);
}

// The name of the first element of a tag text, when nothing but white space comes
// before it; empty otherwise.
std::string firstTagName(std::string_view text) {
  size_t at = text.find_first_not_of(" \t\r\n");
  if (at == std::string_view::npos || text[at] != '<') return {};
  size_t end = ++at;
  while (end < text.size() &&
         (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
    ++end;
  return std::string(text.substr(at, end - at));
}

void enterPageDirectory(const std::string& file) {
  std::string dir = ParentDir(file);
  resourceTree().workDir = dir;
  platform::setCurrentHostDirectory(platform::hostPath(dir));
}

}  // namespace

// Judged before anything is stopped, linked or written: a page of another
// project makes the player open (and maybe create) that project, so a file that
// is no page, a device or a FIFO must never get that far.
bool TPrjManager::CheckPageFile(const std::string& file) {
  std::string bytes;
  if (file.empty() || !platform::fileExists(file)) {
    LogError(file + "はありません", {}, true);
    return false;
  }
  std::string name;
  if (platform::readFile(file, bytes, kLargestTextFile)) name = firstTagName(bytes);
  if (name != "resourcelist" && name != "classlist") {
    LogError(file + "はページではありません", {}, true);
    return false;
  }
  return true;
}

bool TPrjManager::LoadPage(std::string_view requested) {
  TimeSection whole(kSectionLoadPage);
  playerHosts().screen().pageLoading();
  std::string file = ResolvePath(requested, resourceTree().workDir);
  if (!CheckPageFile(file)) {
    projectState().noPageRunning = true;
    return false;
  }
  projectState().statusText = "ページを読み込んでいます";
  environmentStore().SetEnv("AutoLoadPage", file);
  currentPageFile_ = file;
  enterPageDirectory(file);
  RememberRecentPage(file);
  Log("Loading Page " + file);
  if (projectOpening_ || IsOtherProject(file)) OpenProjectOfPage(file);
  // Also after opening a project: when none was open before, nothing else
  // stops the page that is running.
  StopPage();
  FindCurrentPage();
  linkPage(file);
  mergePageLists();
  projectState().statusText = "コンパイルしています";
  {
    TimeSection compile(kSectionCompile);
    classesReady_ = false;
    if (TResourceList* classes = ClassList()) {
      classes->Initialize();
      classesReady_ = true;
    }
  }
  {
    TimeSection patterns(kSectionPatterns);
    playerHosts().screen().resetPatterns();
    if (TResource* sheets = find("usr.patterns")) sheets->Initialize();
  }
  ensureScreenGlobals();
  if (classesReady_) projectState().noPageRunning = false;
  playerHosts().debugger().refreshViews();
  projectOpening_ = false;
  return classesReady_;
}

void TPrjManager::mergePageLists() {
  if (TResourceList* pageClasses = findList("usr.classes")) {
    if (TResourceList* classes = ClassList()) MergeMissing(*classes, *pageClasses);
  }
  if (TResourceList* pageSounds = findList("usr.sounds")) {
    TResourceList* sounds = SoundList();
    if (sounds && MergeMissing(*sounds, *pageSounds)) {
      if (vm::TValue* added = GlobalCell("$_soundAdded")) vm::setInt(*added, 1);
    }
  }
}

void TPrjManager::ensureScreenGlobals() const {
  if (!find("usr")) return;
  if (!find("usr.global")) CreateResourceAt("", "usr.global", NewResourceKind::List);
  TResourceList* globals = findList("usr.global");
  if (!globals) return;
  for (const char* name : kScreenGlobals) {
    if (!globals->FindChild(name))
      globals->Add(
          ParseResourceText(std::string("<globalvalue name=\"") + name + "\" value=\"\">"));
  }
}

bool TPrjManager::startRoot(const char* method) {
  auto* boot =
      resourceTree().root ? dynamic_cast<TRTTI*>(resourceTree().root->Find("Boot")) : nullptr;
  if (!boot) return false;
  if (vm::TProcess* old = vm::hostAs<vm::TProcess>(vm::runtime().rootProcess)) old->Destroy();
  vm::runtime().rootProcess = 0;
  vm::TValue self = vm::TValue::ofRef(vm::vtObject, boot->NewInstance());
  vm::runtime().rootProcess = vm::TProcess::Create(self, {}, method)->handle();
  return true;
}

void TPrjManager::LoadPageAndRun(std::string_view file) {
  // A new page shows its first warnings again, and its sound runs again.
  vm::runtime().lastWarning.clear();
  projectState().runtimeErrorSeen = false;
  playerHosts().screen().designModeChanged(false);
  try {
    Log("---LoadPage--");
    bool loaded = LoadPage(file);
    Log("--/LoadPage--");
    if (loaded && startRoot("execute")) projectState().designMode = false;
  } catch (const std::exception& e) {
    LogError(e.what(), {}, true);
  }
  playerHosts().screen().pageStarted();
}

void TPrjManager::StartDesign() {
  playerHosts().screen().pageStarted();
  StopPage();
  try {
    if (classesReady_ && startRoot("design")) {
      projectState().designMode = true;
      playerHosts().screen().designModeChanged(true);
    }
  } catch (const std::exception& e) {
    LogError(e.what(), {}, true);
  }
}

void TPrjManager::ReloadPage() {
  TResource* page = find("usr");
  if (page && !page->src.empty()) LoadPageAndRun(std::string(page->src));
}

void TPrjManager::StopPage() {
  playerHosts().screen().clearSprites();
  if (vm::TProcess* root = vm::hostAs<vm::TProcess>(vm::runtime().rootProcess)) root->Destroy();
  vm::runtime().rootProcess = 0;
  vm::Collect();  // returns at once without a root process
}

void TPrjManager::StopAndForget() {
  StopPage();
  TimeSection forget(kSectionForget);
  if (resourceTree().root) resourceTree().root->ForgetObjects();
}

void TPrjManager::RequestPage(std::string_view file, bool designMode) {
  requestedPage_ = std::string(file);
  requestedDesign_ = designMode;
}

// The request is taken first: a page that fails to load is not tried again on
// every frame. A file that is no page is refused while the current page still
// runs, and it runs on.
void TPrjManager::ProcessRequest() {
  if (!HasRequest()) return;
  std::string file = ResolvePath(requestedPage_, resourceTree().workDir);
  requestedPage_.clear();
  if (!CheckPageFile(file)) return;
  if (requestedDesign_) {
    try {
      LoadPage(file);
    } catch (const std::exception& e) {
      LogError(e.what(), {}, true);
    }
    StartDesign();
    playerHosts().debugger().refreshViews();
  } else {
    StopPage();
    LoadPageAndRun(file);
  }
}

}  // namespace zunka
