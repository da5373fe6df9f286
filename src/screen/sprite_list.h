#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/compositor.h"
#include "platform/text_renderer.h"
#include "screen/pattern_list.h"
#include "screen/raster.h"
#include "screen/surface.h"
#include "vm/value.h"

namespace zunka {

// One thing to draw in the frame: a pattern (TGrpSprite), a rotated, scaled and
// blended pattern (TDxGrpSprite), a line (TLineSprite), a filled rectangle
// (TRectSprite), a text (TTxtSprite) or a wrapped map (TMapSprite). Plain records
// in one list whose storage, texts included, is reused from frame to frame, so
// drawing allocates nothing per sprite.
struct Sprite {
  enum class Kind : uint8_t { Pattern, DxPattern, Line, Rect, Text, Map };
  Kind kind = Kind::Pattern;
  bool mirror = false;
  vm::TValue owner;  // the script object that drew it (held), or none
  int32_t x = 0, y = 0, z = 0;
  int32_t pattern = -1;
  double scaleX = 1, scaleY = 1;
  int32_t alpha = 255;
  int32_t angle = 0;  // degrees
  int32_t x2 = 0, y2 = 0;
  int32_t colour = 0;  // 00BBGGRR
  // Text sprites: where the text and the font name lie in the list's text store,
  // the size and the style.
  uint32_t textAt = 0, textLength = 0;
  uint32_t fontNameAt = 0, fontNameLength = 0;
  int32_t fontSize = 12;
  platform::TextStyle fontStyle;
  // Map sprites: the surface (a checked handle), the map's size, the scroll
  // position and the size of the view drawn; `rotated` draws the whole map turned
  // by `angle` about its centre at the view size instead.
  uint32_t surface = 0;
  int32_t mapWidth = 0, mapHeight = 0;
  int32_t scrollX = 0, scrollY = 0;
  int32_t viewWidth = 0, viewHeight = 0;
  bool rotated = false;
};

// Angle in 256ths of a turn: negative angles count back from 360.
int32_t angleIn256ths(int32_t degrees);

class TSpriteList {
 public:
  explicit TSpriteList(platform::TextRenderer& text) : text_(text) {}
  ~TSpriteList();
  TSpriteList(const TSpriteList&) = delete;
  TSpriteList& operator=(const TSpriteList&) = delete;

  // Appends a sprite; its owner is held until the list is emptied.
  void Append(const Sprite& sprite);
  // Appends a text sprite showing `text` in the font named `fontName`.
  void AppendText(Sprite sprite, std::string_view text, std::string_view fontName);
  // Lets go of every sprite (their owners too); the storage stays for the next frame.
  void Clear();
  const std::vector<Sprite>& sprites() const { return sprites_; }
  std::string_view textOf(const Sprite& s) const { return stored(s.textAt, s.textLength); }
  std::string_view fontNameOf(const Sprite& s) const {
    return stored(s.fontNameAt, s.fontNameLength);
  }

  // Draws one sprite onto `target` at once (stamping it onto a panel); a text
  // sprite shows `text` in the font named `fontName`.
  void Stamp(const Sprite& sprite, platform::Image& target, TPatternList& patterns,
             std::string_view text = {}, std::string_view fontName = {});
  // Draws every sprite onto `target`, greater z first (so smaller z is in front);
  // sprites of equal z keep the order they were drawn in.
  void DrawAll(platform::Image& target, TPatternList& patterns);
  // The rectangle a sprite covers (right and bottom exclusive).
  raster::Rect Bounds(const Sprite& sprite, const TPatternList& patterns) const;
  // The distinct owners of the sprites whose bounds meet `r` by the centre test, in
  // list order.
  std::vector<vm::TValue> OwnersAt(raster::Rect r, const TPatternList& patterns) const;

 private:
  void Draw(const Sprite& sprite, platform::Image& target, TPatternList& patterns);
  void DrawMap(const Sprite& sprite, platform::Image& target);
  uint32_t store(std::string_view bytes);
  std::string_view stored(uint32_t at, uint32_t length) const {
    return std::string_view(texts_).substr(at, length);
  }

  platform::TextRenderer& text_;
  platform::CompositeTarget* composite_ = nullptr;  // the target while DrawAll runs
  std::vector<Sprite> sprites_;
  std::vector<uint32_t> order_;
  std::string texts_;  // the texts and font names of this frame's text sprites
  // The surfaces map sprites show, held until the list is emptied.
  std::vector<std::shared_ptr<TSurface>> shown_;
};

}  // namespace zunka
