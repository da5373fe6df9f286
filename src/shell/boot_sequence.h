#pragma once
#include <string>

namespace zunka {

// The steps of start-up that load the system itself: the environment, the kernel
// resources and their natives, the project and its first page. The player calls
// them in this order from StartUp (which keeps the booting and booted flags);
// every step does nothing until the code that does it is plugged in by passing a
// subclass to the player.
class BootSequence {
 public:
  virtual ~BootSequence() = default;
  // System initialisation after baseDir is known: the environment store, recent
  // pages, help and index files, tones, the screen options.
  virtual void initialiseSystem() {}
  // The kernel boot: console banner, kernel tree, compiling, natives, "Ready".
  virtual void boot() {}
  // Loads the project, may choose fileToOpen (its main page), sets the globals
  // boot leaves for scripts.
  virtual void loadProject() {}
  // Loads and starts the page `file` (booted is already true).
  virtual void startPage(const std::string& file) { (void)file; }
  // Captions, sound and window globals once the first page runs.
  virtual void afterStart() {}
  // When the player stops, while its console is still in place: lets go of what
  // scripts hold before the system itself goes.
  virtual void shutDown() {}
};

}  // namespace zunka
