#include "platform/text_renderer.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

// Cached texts and fonts are bounded: past these the caches start again.
constexpr size_t kMostCachedTexts = 4096;
constexpr size_t kMostOpenFonts = 64;
// Sizes outside this range are brought into it.
constexpr int32_t kSmallestPoint = 1;
constexpr int32_t kLargestPoint = 400;
// Texts longer than this many bytes are cut: nothing longer fits on a screen.

// The family fontconfig is asked for, for a (UTF-8) font name.
std::string familyFor(const std::string& name) {
  static const char* const kGothic[] = {"ＭＳ ゴシック", "MS Gothic", "ＭＳゴシック", ""};
  static const char* const kProportional[] = {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳＰゴシック"};
  static const char* const kMincho[] = {"ＭＳ 明朝", "MS Mincho", "ＭＳ明朝"};
  for (const char* n : kGothic)
    if (name == n) return "IPAGothic";
  for (const char* n : kProportional)
    if (name == n) return "IPAPGothic";
  for (const char* n : kMincho)
    if (name == n) return "IPAMincho";
  return name;
}

}  // namespace

struct TextRenderer::Font {
  TTF_Font* handle = nullptr;
  ~Font() {
    if (handle) TTF_CloseFont(handle);
  }
};

TextRenderer::TextRenderer() {
  ready_ = TTF_Init() == 0;
}

TextRenderer::~TextRenderer() {
  fonts_.clear();
  if (ready_) TTF_Quit();
  if (fontConfig_) FcConfigDestroy(fontConfig_);
}

std::string TextRenderer::fontFile(std::string_view fontName) {
  std::string utf8 = sjisToUtf8(fontName);
  if (auto found = files_.find(utf8); found != files_.end()) return found->second;
  std::string file;
  std::string family = familyFor(utf8);
  if (!fontConfig_) fontConfig_ = FcInitLoadConfigAndFonts();
  FcPattern* pattern =
      fontConfig_ ? FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())) : nullptr;
  if (pattern) {
    FcConfigSubstitute(fontConfig_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(fontConfig_, pattern, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  files_.emplace(utf8, file);
  return file;
}

TextRenderer::Font* TextRenderer::font(std::string_view fontName, int32_t pointSize,
                                       TextStyle style) {
  if (!ready_) return nullptr;
  pointSize = std::clamp(pointSize, kSmallestPoint, kLargestPoint);
  auto key = std::tuple<std::string_view, int32_t, TextStyle>(fontName, pointSize, style);
  if (auto found = fonts_.find(key); found != fonts_.end()) return found->second.get();
  if (fonts_.size() >= kMostOpenFonts) fonts_.clear(), texts_.clear();
  auto font = std::make_unique<Font>();
  std::string file = fontFile(fontName);
  if (!file.empty()) font->handle = TTF_OpenFontDPI(file.c_str(), pointSize, 96, 96);
  if (font->handle) {
    int flags = (style.bold ? TTF_STYLE_BOLD : 0) | (style.italic ? TTF_STYLE_ITALIC : 0) |
                (style.underline ? TTF_STYLE_UNDERLINE : 0);
    TTF_SetFontStyle(font->handle, flags);
  }
  Font* result = font->handle ? font.get() : nullptr;
  fonts_.emplace(FontKey{std::string(fontName), pointSize, style}, std::move(font));
  return result;
}

std::pair<int32_t, int32_t> TextRenderer::measure(std::string_view fontName, int32_t pointSize,
                                                  TextStyle style, std::string_view text) {
  Font* f = font(fontName, pointSize, style);
  if (!f) return {0, 0};
  int w = 0, h = 0;
  std::string utf8 = sjisToUtf8(text.substr(0, kLongestText));
  if (utf8.empty()) return {0, TTF_FontHeight(f->handle)};
  if (TTF_SizeUTF8(f->handle, utf8.c_str(), &w, &h) != 0) return {0, 0};
  return {w, h};
}

const CompositeSource* TextRenderer::rendered(std::string_view fontName, int32_t pointSize,
                                              TextStyle style, uint32_t rgb,
                                              std::string_view text) {
  text = text.substr(0, kLongestText);
  auto key = std::tuple<std::string_view, int32_t, TextStyle, uint32_t, std::string_view>(
      fontName, pointSize, style, rgb, text);
  if (auto found = texts_.find(key); found != texts_.end()) return found->second.get();
  Font* f = font(fontName, pointSize, style);
  std::string utf8 = sjisToUtf8(text);
  if (!f || utf8.empty()) return nullptr;
  if (texts_.size() >= kMostCachedTexts) texts_.clear();
  SDL_Color colour{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
  SDL_Surface* surface = TTF_RenderUTF8_Blended(f->handle, utf8.c_str(), colour);
  if (!surface) return nullptr;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(surface);
  if (!argb) return nullptr;
  Image image;
  image.width = argb->w;
  image.height = argb->h;
  image.pixels.reserve(size_t(argb->w) * size_t(argb->h));
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                        size_t(y) * size_t(argb->pitch));
    for (int x = 0; x < argb->w; ++x) image.pixels.push_back(premultiplied(row[x]));
  }
  SDL_FreeSurface(argb);
  ++renders_;
  auto source = std::make_unique<CompositeSource>(std::move(image));
  TextKey stored{std::string(fontName), pointSize, style, rgb, std::string(text)};
  return texts_.emplace(std::move(stored), std::move(source)).first->second.get();
}

void TextRenderer::draw(CompositeTarget& target, int32_t x, int32_t y, std::string_view fontName,
                        int32_t pointSize, TextStyle style, uint32_t rgb, std::string_view text) {
  const CompositeSource* source = rendered(
      fontName, std::clamp(pointSize, kSmallestPoint, kLargestPoint), style, rgb & 0xFFFFFF, text);
  if (source) target.over(*source, 0, 0, x, y, source->width(), source->height());
}

void TextRenderer::draw(Image& target, int32_t x, int32_t y, std::string_view fontName,
                        int32_t pointSize, TextStyle style, uint32_t rgb, std::string_view text) {
  CompositeTarget composite(target);
  draw(composite, x, y, fontName, pointSize, style, rgb, text);
}

}  // namespace zunka::platform
