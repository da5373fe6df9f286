#pragma once
#include <string>

#include "resources/alias_table.h"
#include "vm/collector.h"

namespace zunka {

class TResourceList;

// The player's resource tree. The root is owned by whoever boots the
// tree (boot, or a test); everything else here refers into it.
struct ResourceTree : vm::CollectorRoots {
  TResourceList* root = nullptr;
  // Relative `src` attributes and links resolve against workDir: boot sets it to
  // baseDir, page loading to the page's directory.
  std::string workDir;
  std::string baseDir;  // directory of the executable
  TAlias aliases;
  // Classes created while this is off (the page file being linked) stay out of
  // the alias table.
  bool aliasRegistration = true;

  void MarkRoots() override;
  void SweepRoots() override;
};

// The current player's tree.
ResourceTree& resourceTree();

// Makes `root` the tree the player works on (nullptr: none), and the collector's
// roots with it.
void SetTreeRoot(TResourceList* root);

// The list `usrglobal` below the root, where missing `$` globals are created
// (nullptr before the kernel has loaded).
TResourceList* GlobalsList();

}  // namespace zunka
