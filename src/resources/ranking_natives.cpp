#include "resources/ranking_natives.h"

#include "resources/page_hash.h"
#include "resources/project_manager.h"
#include "resources/resources_state.h"
#include "vm/console.h"

namespace zunka {

using namespace vm;

namespace {

constexpr const char* kNotHttp = "URLはhttp://で始めてください";
constexpr const char* kTooOften = "ブラウザは1分間に6回しか開けません";

ZUNKA_NATIVE(nativeSetParam) {
  if (argc < 3) return;
  resourcesState().ranking.setParam(toText(nativeArg(target, 2)), toText(nativeArg(target, 3)));
}

ZUNKA_NATIVE(nativeClearParam) {
  if (argc < 1) return;
  resourcesState().ranking.clearParam();
}

ZUNKA_NATIVE(nativeOpenBrowser) {
  if (argc < 2) return;
  uint32_t key = RankingClient::keyFor(prjManager().pageHash(), KernelId());
  BrowserHost& browser = playerHosts().browser();
  std::string request;
  switch (resourcesState().ranking.open(toText(nativeArg(target, 2)), key, browser.minutes(),
                                        request)) {
    case RankingClient::Outcome::NotHttp:
      LogError(kNotHttp, {}, true);
      return;
    case RankingClient::Outcome::TooOften:
      LogError(kTooOften, {}, true);
      return;
    case RankingClient::Outcome::Opened:
      browser.open(browserAddress(request));
      return;
  }
}

constexpr NativeEntry kRankingNatives[] = {
    {"_n_setParam", nativeSetParam},
    {"_n_clearParam", nativeClearParam},
    {"_n_openBrowser", nativeOpenBrowser},
};

}  // namespace

std::span<const NativeEntry> rankingNatives() {
  return kRankingNatives;
}

}  // namespace zunka
