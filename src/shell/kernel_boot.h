#pragma once
#include <string>

#include "resources/project_manager.h"
#include "resources/resource.h"
#include "shell/boot_sequence.h"

namespace zunka {

class TResourceList;

// The player's start-up steps: the environment store and recent pages; the
// kernel boot (console banner, the kernel's resource tree read from
// kernel\resource.zunkares under baseDir, the core classes looked up, the whole
// tree compiled or read from its class files, the natives bound, the kernel's
// files hashed, "Ready"); then the bundled project in baseDir\Usr and its first
// page. The tree stays the root, and the project manager the installed one,
// until this object goes.
class KernelBoot : public BootSequence {
 public:
  KernelBoot();
  ~KernelBoot() override;
  KernelBoot(const KernelBoot&) = delete;
  KernelBoot& operator=(const KernelBoot&) = delete;

  void initialiseSystem() override;
  void boot() override;
  void loadProject() override;
  void startPage(const std::string& file) override;
  void afterStart() override;
  // Lets go of every script object the tree holds (resources' objects, globals'
  // values) while every class is still in place; the destructor does it when
  // nobody did before.
  void shutDown() override;
  // shutDown for a process about to end: garbage that nothing could see being
  // finished is left to leaveTreeToExit (ReleaseScriptObjects).
  void shutDownToExit();
  // For a process about to end, after shutDown: when tearing the tree down would
  // run no script code and say nothing (TreeTeardownIsSilent), its classes, code
  // and resources are left to the operating system instead of freed one by one.
  // The tree stops being the root all the same. True when it will be left;
  // otherwise the garbage shutDownToExit left is finished first.
  bool leaveTreeToExit();

  // True once the kernel booted without an error.
  bool ready() const { return ready_; }
  TResourceList* root() const;
  TPrjManager& projects() { return projects_; }

 private:
  void shutDown(bool exiting);
  void loadKernelClasses();
  void enumerateKernelFiles();
  std::string firstPageFile() const;

  ResourcePtr root_;
  TPrjManager projects_;
  bool ready_ = false;
  bool shutDown_ = false;
  bool leaveTree_ = false;
};

}  // namespace zunka
