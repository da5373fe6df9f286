#pragma once
#include <cstdint>
#include <vector>

#include <string>

#include "platform/compositor.h"
#include "platform/text_renderer.h"
#include "screen/pattern_list.h"
#include "screen/raster.h"
#include "vm/value.h"

namespace zunka {

// One thing to draw in the frame: a pattern (TGrpSprite), a rotated, scaled and
// blended pattern (TDxGrpSprite), a line (TLineSprite) or a filled rectangle
// (TRectSprite). Plain records in one list whose storage is reused from frame to
// frame, so drawing allocates nothing per sprite.
struct Sprite {
  enum class Kind : uint8_t { Pattern, DxPattern, Line, Rect, Text };
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
  // Text sprites (TTxtSprite): the text with its font, size and style.
  std::string text;
  std::string fontName;
  int32_t fontSize = 12;
  platform::TextStyle fontStyle;
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
  // Lets go of every sprite (their owners too); the storage stays for the next frame.
  void Clear();
  const std::vector<Sprite>& sprites() const { return sprites_; }

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

  platform::TextRenderer& text_;
  platform::CompositeTarget* composite_ = nullptr;  // the target while DrawAll runs
  std::vector<Sprite> sprites_;
  std::vector<uint32_t> order_;
};

}  // namespace zunka
