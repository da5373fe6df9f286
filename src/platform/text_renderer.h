#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/compositor.h"
#include "platform/font_engine.h"
#include "platform/image_file.h"

namespace zunka::platform {

// Text in the fonts of the host, found and drawn by the host's font engine
// (font_engine.h) at 96 dots per inch; the engine is loaded by the first text
// measured or drawn. Texts and font names are Shift_JIS; the usual Windows
// Japanese font names (ＭＳ ゴシック, MS Gothic, ＭＳ Ｐゴシック, ＭＳ 明朝, MS Mincho)
// and an empty name map to the IPA fonts. Rendered texts are cached by font,
// size, style, colour and text, so a text drawn every frame is rendered once.
class TextRenderer {
 public:
  // Longer texts are cut to this many bytes.
  static constexpr size_t kLongestText = 4096;

  using EngineOpener = std::function<std::unique_ptr<FontEngine>()>;

  // With the host's font engine (host_libraries.h), or the one `openEngine` gives;
  // either is opened by the first text measured or drawn, and only once (an
  // engine that cannot be had leaves every text (0, 0) and undrawn).
  TextRenderer();
  explicit TextRenderer(EngineOpener openEngine);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Width and height in pixels of `text`; (0, 0) when no font can be had.
  std::pair<int32_t, int32_t> measure(std::string_view fontName, int32_t pointSize, TextStyle style,
                                      std::string_view text);
  // Draws `text` in `rgb` (0xRRGGBB) with its top-left at (x, y), blended by the
  // glyphs' coverage; clipped to the target.
  void draw(CompositeTarget& target, int32_t x, int32_t y, std::string_view fontName,
            int32_t pointSize, TextStyle style, uint32_t rgb, std::string_view text);
  void draw(Image& target, int32_t x, int32_t y, std::string_view fontName, int32_t pointSize,
            TextStyle style, uint32_t rgb, std::string_view text);

  // The font file a (Shift_JIS) font name resolves to; empty when none.
  std::string fontFile(std::string_view fontName);
  size_t renders() const { return renders_; }  // texts rendered (not found in the cache)

 private:
  // Nothing when the font cannot be had (remembered as such).
  RasterFont* font(std::string_view fontName, int32_t pointSize, TextStyle style);
  const CompositeSource* rendered(std::string_view fontName, int32_t pointSize, TextStyle style,
                                  uint32_t rgb, std::string_view text);

  // Cache keys, looked up through views so that a lookup allocates nothing.
  struct FontKey {
    std::string name;
    int32_t pointSize;
    TextStyle style;
  };
  struct TextKey {
    std::string fontName;
    int32_t pointSize;
    TextStyle style;
    uint32_t rgb;
    std::string text;
  };
  struct KeyOrder {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return view(a) < view(b);
    }
    static auto view(const FontKey& k) {
      return std::tuple<std::string_view, int32_t, TextStyle>(k.name, k.pointSize, k.style);
    }
    static auto view(const TextKey& k) {
      return std::tuple<std::string_view, int32_t, TextStyle, uint32_t, std::string_view>(
          k.fontName, k.pointSize, k.style, k.rgb, k.text);
    }
    template <class... T>
    static const std::tuple<T...>& view(const std::tuple<T...>& k) {
      return k;
    }
  };

  FontEngine* engine();

  // This renderer's own engine, so that nothing of it outlives the renderer;
  // declared before the fonts, which are closed before it.
  EngineOpener openEngine_;
  std::unique_ptr<FontEngine> engine_;
  bool engineTried_ = false;
  std::map<std::string, std::string, std::less<>> files_;
  std::map<FontKey, std::unique_ptr<RasterFont>, KeyOrder> fonts_;
  // Rendered texts, premultiplied for the compositor.
  std::map<TextKey, std::unique_ptr<CompositeSource>, KeyOrder> texts_;
  size_t renders_ = 0;
};

}  // namespace zunka::platform
