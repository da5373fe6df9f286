#include "shell/input_natives.h"

#include "shell/shell_state.h"

#include <array>

#include "resources/project_state.h"
#include "shell/host_state.h"

namespace zunka {

namespace {

KeyboardSampling& keyboard() {
  return shellState().keyboard;
}

ZUNKA_NATIVE(nativeGetKey) {
  KeyboardSampling& k = keyboard();
  if (argc < 1) {
    k.sampled.fill(false);  // a new frame: every key may be sampled once again
    return;
  }
  if (!hostState().applicationActive && projectState().disableKeysWhenInactive) {
    vm::setInt(*target, 0);
    return;
  }
  int code = vm::toInt(vm::nativeArg(target, 1));
  if (code < 0 || code > 255) code = 0;
  if (projectState().designMode || !k.sampled[size_t(code)]) {
    k.counters[size_t(code)] = k.down[size_t(code)] ? k.counters[size_t(code)] + 1 : 0;
    k.sampled[size_t(code)] = true;
  }
  vm::setInt(*target, k.counters[size_t(code)]);
}

constexpr vm::NativeEntry kKeyboard[] = {{"getkey", nativeGetKey}};

}  // namespace

std::span<const vm::NativeEntry> keyboardNatives() {
  return kKeyboard;
}

int32_t keyCounter(int code) {
  return code >= 0 && code < 256 ? keyboard().counters[size_t(code)] : 0;
}

void resetKeyboard() {
  keyboard() = KeyboardSampling{};
}

}  // namespace zunka
