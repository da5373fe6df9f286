#include "platform/sdl_font_engine.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

namespace zunka::platform {
namespace {

class TtfFont final : public RasterFont {
 public:
  explicit TtfFont(TTF_Font* handle) : handle_(handle) {}
  ~TtfFont() override { TTF_CloseFont(handle_); }
  TtfFont(const TtfFont&) = delete;
  TtfFont& operator=(const TtfFont&) = delete;

  int32_t lineHeight() override { return TTF_FontHeight(handle_); }

  bool measure(const std::string& utf8, int32_t& width, int32_t& height) override {
    int w = 0, h = 0;
    if (TTF_SizeUTF8(handle_, utf8.c_str(), &w, &h) != 0) return false;
    width = w;
    height = h;
    return true;
  }

  std::optional<Image> render(const std::string& utf8, uint32_t rgb) override {
    SDL_Color colour{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
    SDL_Surface* surface = TTF_RenderUTF8_Blended(handle_, utf8.c_str(), colour);
    if (!surface) return std::nullopt;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(surface);
    if (!argb) return std::nullopt;
    Image image;
    image.width = argb->w;
    image.height = argb->h;
    image.pixels.reserve(size_t(argb->w) * size_t(argb->h));
    for (int y = 0; y < argb->h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(
          static_cast<const uint8_t*>(argb->pixels) + size_t(y) * size_t(argb->pitch));
      image.pixels.insert(image.pixels.end(), row, row + argb->w);
    }
    SDL_FreeSurface(argb);
    return image;
  }

 private:
  TTF_Font* handle_;
};

class SdlFontEngine final : public FontEngine {
 public:
  SdlFontEngine() = default;
  ~SdlFontEngine() override {
    TTF_Quit();
    if (config_) FcConfigDestroy(config_);
  }
  SdlFontEngine(const SdlFontEngine&) = delete;
  SdlFontEngine& operator=(const SdlFontEngine&) = delete;

  std::string fontFile(const std::string& utf8Family) override {
    if (!config_) config_ = FcInitLoadConfigAndFonts();
    if (!config_) return {};
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(utf8Family.c_str()));
    if (!pattern) return {};
    std::string file;
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(config_, pattern, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
  }

  std::unique_ptr<RasterFont> open(const std::string& file, int32_t pointSize,
                                   TextStyle style) override {
    TTF_Font* handle = TTF_OpenFontDPI(file.c_str(), pointSize, 96, 96);
    if (!handle) return nullptr;
    int flags = (style.bold ? TTF_STYLE_BOLD : 0) | (style.italic ? TTF_STYLE_ITALIC : 0) |
                (style.underline ? TTF_STYLE_UNDERLINE : 0);
    TTF_SetFontStyle(handle, flags);
    return std::make_unique<TtfFont>(handle);
  }

 private:
  FcConfig* config_ = nullptr;
};

}  // namespace

std::unique_ptr<FontEngine> openSdlFontEngine(std::string& error) {
  if (TTF_Init() != 0) {
    error = TTF_GetError();
    return nullptr;
  }
  return std::make_unique<SdlFontEngine>();
}

}  // namespace zunka::platform
