#include "shell/system_natives.h"

#include "platform/files.h"
#include "platform/program_launcher.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "shell/host_state.h"
#include "vm/version.h"

namespace zunka {
namespace {

// Closing the screen window ends the program: no further frame runs, and the
// message loop ends after the current call.
void closeScreenWindow() {
  hostState().closing = true;
}

void nativeExit(vm::TNativeFunction*, vm::TValue*, int32_t, uint32_t) {
  closeScreenWindow();
}

void nativeOpenIde(vm::TNativeFunction*, vm::TValue*, int32_t, uint32_t) {
  std::string ide = resourceTree().baseDir + "\\" + kIdeExecutable;
  if (platform::fileExists(ide)) platform::launchProgram(platform::hostPath(ide));
  closeScreenWindow();
}

void nativeVersion(vm::TNativeFunction*, vm::TValue* target, int32_t, uint32_t) {
  vm::setInt(*target, kSystemVersion);
}

// Intervals of 9 ms or less and batch sizes of 0 or less are ignored: the first
// would leave no time between frames, the second would never run one.
ZUNKA_NATIVE(nativeSetFrameRate) {
  if (argc >= 2) {
    int32_t batch = vm::toInt(vm::nativeArg(target, 2));
    if (batch > 0) hostState().maxFramesPerBatch = batch;
  }
  if (argc >= 1) {
    int32_t interval = vm::toInt(vm::nativeArg(target, 1));
    if (interval > 9) hostState().frameInterval = interval;
  }
}

constexpr vm::NativeEntry kSystemNatives[] = {
    {"_n_exit", nativeExit},
    {"_n_openIDE", nativeOpenIde},
    {"_n_version", nativeVersion},
    {"_n_setFrameRate", nativeSetFrameRate},
};

}  // namespace

std::span<const vm::NativeEntry> systemNatives() {
  return kSystemNatives;
}

}  // namespace zunka
