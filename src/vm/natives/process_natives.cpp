#include "vm/natives/process_natives.h"

#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::vm {
namespace {

TProcess* processArg(TValue* target, int32_t argc) {
  return argc >= 1 ? hostArg<TProcess>(nativeArg(target, 1)) : nullptr;
}

ZUNKA_NATIVE(nativeInit) {
  if (argc < 1 || !objectOf(nativeArg(target, 1))) return;
  std::string method = argc >= 2 ? toText(nativeArg(target, 2)) : std::string();
  TProcess* p = TProcess::Create(nativeArg(target, 1), {}, method);
  setHost(*target, p->handle());
}

ZUNKA_NATIVE(nativeExec) {
  if (TProcess* p = processArg(target, argc)) Run(p, kUnlimitedSteps);
}

ZUNKA_NATIVE(nativeSuspend) {
  if (TProcess* p = processArg(target, argc)) p->Yield();
}

ZUNKA_NATIVE(nativeHalted) {
  if (TProcess* p = processArg(target, argc)) setFloat(*target, p->halted ? 1.0f : 0.0f);
}

ZUNKA_NATIVE(nativeFree) {
  if (TProcess* p = processArg(target, argc)) p->Destroy();
}

ZUNKA_NATIVE(nativeKill) {
  if (TProcess* p = processArg(target, argc)) p->Kill();
}

ZUNKA_NATIVE(nativeProcMark) {
  if (TProcess* p = processArg(target, argc)) p->MarkStack();
}

constexpr NativeEntry kProcessNatives[] = {
    {"native_init", nativeInit},          {"native_exec", nativeExec},
    {"native_suspend", nativeSuspend},    {"native_halted", nativeHalted},
    {"native_free", nativeFree},          {"native_kill", nativeKill},
    {"native_proc_mark", nativeProcMark},
};

}  // namespace

std::span<const NativeEntry> processNatives() {
  return kProcessNatives;
}

}  // namespace zunka::vm
