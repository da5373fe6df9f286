#include "resources/project_natives.h"

#include "resources/generator.h"
#include "resources/page_build.h"
#include "resources/page_hash.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "vm/errors.h"
#include "vm/tfstring.h"

namespace zunka {

using namespace vm;

namespace {

ZUNKA_NATIVE(nativeCurrentPageName) {
  setString(*target, prjManager().currentPageName());
}

ZUNKA_NATIVE(nativeOnSet) {
  if (argc < 2) return;
  prjManager().SetParam(toText(nativeArg(target, 1)), toText(nativeArg(target, 2)));
}

ZUNKA_NATIVE(nativeOnGet) {
  if (argc < 1) return;
  setString(*target, prjManager().GetParam(toText(nativeArg(target, 1))));
}

ZUNKA_NATIVE(nativeOpen) {
  if (argc < 1) return;
  prjManager().RequestPage(toText(nativeArg(target, 1)), projectState().designMode);
}

ZUNKA_NATIVE(nativeGetPageHashCode) {
  setInt(*target, PageFileHash(prjManager().currentPageFile()));
}

ZUNKA_NATIVE(nativeSetGenAttr) {
  if (argc < 3) return;
  const TValue& handle = nativeArg(target, 1);
  if (handle.kind != vtHost) return;
  auto* gen = dynamic_cast<TGenerator*>(TResource::FromHandle(handle.ref));
  if (gen) gen->SetInstAttr(toText(nativeArg(target, 2)), toLiteral(nativeArg(target, 3)));
}

// Char._changeAttr(generator, name, value): as _n_setGenAttr, but a first argument
// that is no generator is a run-time error.
ZUNKA_NATIVE(nativeChangeAttr) {
  if (argc < 3) return;
  const TValue& handle = nativeArg(target, 1);
  auto* gen = handle.kind == vtHost ? dynamic_cast<TGenerator*>(TResource::FromHandle(handle.ref))
                                    : nullptr;
  if (!gen) throw ERuntimeError("invalid generator at chattr");
  gen->SetInstAttr(toText(nativeArg(target, 2)), toLiteral(nativeArg(target, 3)));
}

// The ranking client polls here once it exists; until then there is nothing to do.
ZUNKA_NATIVE(nativeRefresh) {}

ZUNKA_NATIVE(nativeGenerate) {
  BuildPage();
}

constexpr NativeEntry kProjectManagerNatives[] = {
    {"_n_currentPageName", nativeCurrentPageName},
    {"_n_onSet", nativeOnSet},
    {"_n_onGet", nativeOnGet},
};
constexpr NativeEntry kPageNatives[] = {{"_n_open", nativeOpen}};
constexpr NativeEntry kPageObjectNatives[] = {
    {"getPageHashCode", nativeGetPageHashCode},
    {"_n_setGenAttr", nativeSetGenAttr},
    {"_n_refresh", nativeRefresh},
};
constexpr NativeEntry kBootNatives[] = {{"generate", nativeGenerate}};
constexpr NativeEntry kCharNatives[] = {{"_changeAttr", nativeChangeAttr}};

}  // namespace

std::span<const NativeEntry> projectManagerNatives() {
  return kProjectManagerNatives;
}
std::span<const NativeEntry> pageNatives() {
  return kPageNatives;
}
std::span<const NativeEntry> pageObjectNatives() {
  return kPageObjectNatives;
}
std::span<const NativeEntry> bootNatives() {
  return kBootNatives;
}
std::span<const NativeEntry> charNatives() {
  return kCharNatives;
}

}  // namespace zunka
