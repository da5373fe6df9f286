#pragma once
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "resources/cmml_documents.h"
#include "resources/environment_store.h"
#include "resources/modules.h"
#include "resources/player_hosts.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/ranking_client.h"
#include "resources/resource_tree.h"
#include "resources/stream_table.h"
#include "resources/tag_dispatch.h"
#include "resources/user_storage.h"
#include "vm/natives/native_support.h"

namespace zunka {

class CacheBundle;
class ClassCompiler;
class SnippetEvaluator;

// Everything the resource layer keeps for one player: the tree, the project and
// page state, the hosts, the services installed from above (project manager,
// class compiler, snippet evaluator) and the environment store. The player
// context owns it; each piece is reached through its own accessor
// (resourceTree(), projectState(), playerHosts(), prjManager(), ...).
struct ResourcesState {
  ResourceTree tree;
  ProjectState project;
  PlayerHosts hosts;
  TEnvironmentStore environment;
  // Where caches and saves go when a game's folder takes no writes.
  UserStorage storage;
  // What scripts hold open: file and binary streams, tag documents; the modules'
  // bound natives.
  StreamTable streams;
  CmmlDocuments cmml;
  ModuleState modules;
  // Ranking parameters and the browser's budget live for the whole run.
  RankingClient ranking;
  // Placing scripts of pages: rebuilt on every load, or when the page changed.
  bool alwaysRebuildPages = false;
  bool rebuildStalePages = false;
  // Files being read through `link` tags, innermost last, and how deep resources
  // nest across them.
  std::vector<std::string> filesBeingLinked;
  int dispatchDepth = 0;
  // What the load in progress (one outermost element or linked file) has made so
  // far: tag_dispatch.h bounds each.
  struct LoadCounts {
    int64_t links = 0;
    uint64_t bytes = 0;
    int64_t resources = 0;
  } loadCounts;
  // Native tables registered from above: bound to their classes with the kernel's.
  std::vector<std::pair<std::string, std::span<const vm::NativeEntry>>> nativeTables;
  // Resource kinds registered from above, by tag name.
  std::map<std::string, ResourceMaker, std::less<>> resourceKinds;
  // Installed services; nullptr: none (the project manager then is `fallbackProjects`).
  TPrjManager* projectManager = nullptr;
  TPrjManager fallbackProjects;
  ClassCompiler* classCompiler = nullptr;
  SnippetEvaluator* snippetEvaluator = nullptr;
  // What cache files are read through while the kernel loads (cache_bundle.h).
  CacheBundle* cacheBundle = nullptr;
};

// Natives that a higher layer supplies for the class at `classPath` (dotted, or a
// bare alias): the kernel boot binds them with its own.
void RegisterNativeTable(std::string classPath, std::span<const vm::NativeEntry> table);

// The current player's resource layer.
ResourcesState& resourcesState();
// Makes `state` the current one; gives the one it replaces.
ResourcesState* setResourcesState(ResourcesState* state);

}  // namespace zunka
