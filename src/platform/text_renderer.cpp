#include "platform/text_renderer.h"

#include <algorithm>
#include <string>

#include "platform/host_libraries.h"
#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

// Cached texts and fonts are bounded: past these the caches start again.
constexpr size_t kMostCachedTexts = 4096;
constexpr size_t kMostOpenFonts = 64;
// Sizes outside this range are brought into it.
constexpr int32_t kSmallestPoint = 1;
constexpr int32_t kLargestPoint = 400;

// The family asked for, for a (UTF-8) font name.
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

// Without the libraries there is no text, as without fonts.
std::unique_ptr<FontEngine> openHostFontEngine() {
  std::string error;
  const HostLibraries* host = hostLibraries(error);
  return host ? host->openFontEngine(error) : nullptr;
}

}  // namespace

TextRenderer::TextRenderer() : TextRenderer(openHostFontEngine) {}

TextRenderer::TextRenderer(EngineOpener openEngine) : openEngine_(std::move(openEngine)) {}

TextRenderer::~TextRenderer() {
  texts_.clear();
  fonts_.clear();
}

FontEngine* TextRenderer::engine() {
  if (!engineTried_) {
    engineTried_ = true;
    engine_ = openEngine_();
  }
  return engine_.get();
}

std::string TextRenderer::fontFile(std::string_view fontName) {
  std::string utf8 = sjisToUtf8(fontName);
  if (auto found = files_.find(utf8); found != files_.end()) return found->second;
  FontEngine* fonts = engine();
  std::string file = fonts ? fonts->fontFile(familyFor(utf8)) : std::string();
  files_.emplace(utf8, file);
  return file;
}

RasterFont* TextRenderer::font(std::string_view fontName, int32_t pointSize, TextStyle style) {
  pointSize = std::clamp(pointSize, kSmallestPoint, kLargestPoint);
  auto key = std::tuple<std::string_view, int32_t, TextStyle>(fontName, pointSize, style);
  if (auto found = fonts_.find(key); found != fonts_.end()) return found->second.get();
  if (fonts_.size() >= kMostOpenFonts) fonts_.clear(), texts_.clear();
  std::unique_ptr<RasterFont> opened;
  std::string file = fontFile(fontName);
  if (!file.empty()) opened = engine()->open(file, pointSize, style);
  RasterFont* result = opened.get();
  fonts_.emplace(FontKey{std::string(fontName), pointSize, style}, std::move(opened));
  return result;
}

std::pair<int32_t, int32_t> TextRenderer::measure(std::string_view fontName, int32_t pointSize,
                                                  TextStyle style, std::string_view text) {
  RasterFont* f = font(fontName, pointSize, style);
  if (!f) return {0, 0};
  std::string utf8 = sjisToUtf8(text.substr(0, kLongestText));
  if (utf8.empty()) return {0, f->lineHeight()};
  int32_t w = 0, h = 0;
  if (!f->measure(utf8, w, h)) return {0, 0};
  return {w, h};
}

const CompositeSource* TextRenderer::rendered(std::string_view fontName, int32_t pointSize,
                                              TextStyle style, uint32_t rgb,
                                              std::string_view text) {
  text = text.substr(0, kLongestText);
  auto key = std::tuple<std::string_view, int32_t, TextStyle, uint32_t, std::string_view>(
      fontName, pointSize, style, rgb, text);
  if (auto found = texts_.find(key); found != texts_.end()) return found->second.get();
  RasterFont* f = font(fontName, pointSize, style);
  std::string utf8 = sjisToUtf8(text);
  if (!f || utf8.empty()) return nullptr;
  if (texts_.size() >= kMostCachedTexts) texts_.clear();
  std::optional<Image> image = f->render(utf8, rgb);
  if (!image) return nullptr;
  for (uint32_t& pixel : image->pixels) pixel = premultiplied(pixel);
  ++renders_;
  auto source = std::make_unique<CompositeSource>(std::move(*image));
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
