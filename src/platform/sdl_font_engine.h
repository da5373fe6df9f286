#pragma once
#include <memory>
#include <string>

#include "platform/font_engine.h"

namespace zunka::platform {

// Fonts found through fontconfig (a configuration of the engine's own, loaded on
// the first lookup) and drawn with SDL_ttf; nothing when SDL_ttf cannot start,
// and then `error` says why.
std::unique_ptr<FontEngine> openSdlFontEngine(std::string& error);

}  // namespace zunka::platform
