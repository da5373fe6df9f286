#pragma once
#include <string>

#include "resources/resource.h"
#include "shell/boot_sequence.h"

namespace zunka {

class TResourceList;

// The kernel boot of start-up: the console banner, the kernel's resource tree read
// from kernel\resource.zunkares under baseDir, the core classes looked up, the
// whole tree compiled (or read from its class files), the natives bound, "Ready".
// The tree stays the root until this object goes.
class KernelBoot : public BootSequence {
 public:
  KernelBoot() = default;
  ~KernelBoot() override;
  KernelBoot(const KernelBoot&) = delete;
  KernelBoot& operator=(const KernelBoot&) = delete;

  void boot() override;

  // True once the kernel booted without an error.
  bool ready() const { return ready_; }
  TResourceList* root() const;

 private:
  void installHooks();
  ResourcePtr root_;
  bool ready_ = false;
};

}  // namespace zunka
