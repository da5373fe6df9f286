#include "screen/sprite_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "screen/surface.h"
#include "vm/host_handles.h"

namespace zunka {
namespace {

// Scaled sizes are kept within what the drawing arithmetic can hold.
constexpr double kLargestDrawnSide = 1 << 30;
// A frame holds at most this many sprites; a script that draws more in one frame
// (no game does) loses the rest rather than the player's memory.
constexpr size_t kMostSprites = 1 << 18;

// A drawing coordinate computed wide, kept where the drawing arithmetic can hold it
// (far beyond any picture, so clipping gives the same result).
int32_t coordinate(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, -(int64_t(1) << 30), int64_t(1) << 30));
}

int32_t truncated(double value) {
  return int32_t(std::clamp(std::trunc(value), -kLargestDrawnSide, kLargestDrawnSide));
}

// The w × h rectangle centred on (x, y), halves truncated toward zero.
raster::Rect centred(int64_t x, int64_t y, int64_t w, int64_t h) {
  int64_t left = x - w / 2, top = y - h / 2;
  return {coordinate(left), coordinate(top), coordinate(left + w), coordinate(top + h)};
}

const TPatElem* resolve(const TPatternList& patterns, int32_t number, TPatRects** set) {
  TPatRects* found = nullptr;
  int32_t index = 0;
  if (!patterns.Resolve(number, found, index)) return nullptr;
  if (set) *set = found;
  return &found->elems[size_t(index)];
}

raster::Rect sourceRect(const TPatElem& e) {
  return {e.left, e.top, e.right, e.bottom};
}

}  // namespace

int32_t angleIn256ths(int32_t degrees) {
  int32_t a = degrees % 360;
  if (a < 0) a += 360;
  return a * 256 / 360;
}

TSpriteList::~TSpriteList() {
  Clear();
}

void TSpriteList::Append(const Sprite& sprite) {
  if (sprites_.size() >= kMostSprites) return;
  if (sprite.kind == Sprite::Kind::Map) {
    TSurface* surface = liveSurface(sprite.surface);
    if (!surface) return;  // a map of a freed or forged panel shows nothing
    shown_.push_back(surface->shared_from_this());
  }
  sprites_.push_back(sprite);
  vm::retain(sprites_.back().owner);
}

uint32_t TSpriteList::store(std::string_view bytes) {
  auto at = uint32_t(texts_.size());
  texts_.append(bytes);
  return at;
}

void TSpriteList::AppendText(Sprite sprite, std::string_view text, std::string_view fontName) {
  if (sprites_.size() >= kMostSprites) return;
  text = text.substr(0, platform::TextRenderer::kLongestText);
  fontName = fontName.substr(0, platform::TextRenderer::kLongestText);
  sprite.kind = Sprite::Kind::Text;
  sprite.textAt = store(text);
  sprite.textLength = uint32_t(text.size());
  sprite.fontNameAt = store(fontName);
  sprite.fontNameLength = uint32_t(fontName.size());
  Append(sprite);
}

void TSpriteList::Clear() {
  // Owners are let go after the list is empty: a destructor they run may draw.
  std::vector<vm::TValue> owners;
  for (const Sprite& s : sprites_)
    if (s.owner.kind == vm::vtObject) owners.push_back(s.owner);
  sprites_.clear();
  texts_.clear();
  shown_.clear();
  for (vm::TValue& owner : owners) vm::release(owner);
}

void TSpriteList::DrawAll(platform::Image& target, TPatternList& patterns) {
  order_.resize(sprites_.size());
  for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
  std::stable_sort(order_.begin(), order_.end(),
                   [&](uint32_t a, uint32_t b) { return sprites_[a].z > sprites_[b].z; });
  platform::CompositeTarget composite(target);
  composite_ = &composite;
  for (uint32_t i : order_) Draw(sprites_[i], target, patterns);
  composite_ = nullptr;
}

void TSpriteList::Stamp(const Sprite& sprite, platform::Image& target, TPatternList& patterns,
                        std::string_view text, std::string_view fontName) {
  platform::CompositeTarget composite(target);
  if (sprite.kind == Sprite::Kind::Text) {
    text_.draw(composite, sprite.x, sprite.y, fontName, sprite.fontSize, sprite.fontStyle,
               raster::fromScriptColour(sprite.colour), text);
    return;
  }
  composite_ = &composite;
  Draw(sprite, target, patterns);
  composite_ = nullptr;
}

void TSpriteList::Draw(const Sprite& s, platform::Image& target, TPatternList& patterns) {
  switch (s.kind) {
    case Sprite::Kind::Pattern: {
      TPatRects* set = nullptr;
      const TPatElem* e = resolve(patterns, s.pattern, &set);
      if (!e) return;
      set->currentKey = e->colourKey;
      raster::Rect at = centred(s.x, s.y, e->width(), e->height());
      if (!s.mirror && set->keyed && composite_) {
        composite_->over(*set->keyed, e->left, e->top, at.left, at.top, e->width(), e->height());
        return;
      }
      raster::copyKeyed(target, at.left, at.top, set->surface, sourceRect(*e), e->colourKey,
                        s.mirror, 255);
      return;
    }
    case Sprite::Kind::DxPattern: {
      TPatRects* set = nullptr;
      const TPatElem* e = resolve(patterns, s.pattern, &set);
      if (!e) return;
      set->currentKey = e->colourKey;
      int32_t signedWidth = s.mirror ? -e->width() : e->width();
      int32_t width = truncated(signedWidth * s.scaleX + 0.5);
      int32_t height = truncated(e->height() * s.scaleY + 0.5);
      raster::drawTransformed(target, s.x, s.y, set->surface, sourceRect(*e), e->colourKey, width,
                              height, angleIn256ths(s.angle), s.alpha);
      return;
    }
    case Sprite::Kind::Line:
      raster::line(target, s.x, s.y, s.x2, s.y2, raster::fromScriptColour(s.colour));
      return;
    case Sprite::Kind::Rect:
      raster::fill(target, {s.x, s.y, s.x2, s.y2}, raster::fromScriptColour(s.colour));
      return;
    case Sprite::Kind::Text:
      if (composite_)
        text_.draw(*composite_, s.x, s.y, fontNameOf(s), s.fontSize, s.fontStyle,
                   raster::fromScriptColour(s.colour), textOf(s));
      return;
    case Sprite::Kind::Map:
      DrawMap(s, target);
      return;
  }
}

void TSpriteList::DrawMap(const Sprite& s, platform::Image& target) {
  const TSurface* map = vm::hostAs<TSurface>(s.surface);
  if (!map) return;
  uint32_t key = map->transparentColour;
  int32_t alpha = s.alpha <= 254 ? std::max(s.alpha, 0) : 255;
  if (s.rotated) {
    raster::drawTransformed(target, s.x, s.y, map->image, {0, 0, s.mapWidth, s.mapHeight}, key,
                            s.viewWidth, s.viewHeight, angleIn256ths(s.angle), alpha);
    return;
  }
  // The map wraps round in both directions: the view is up to four pieces of it.
  // The arithmetic is wide, so no scroll or view size can overflow it.
  auto piece = [&](int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t x, int64_t y) {
    raster::copyKeyed(target, coordinate(x), coordinate(y), map->image,
                      {coordinate(left), coordinate(top), coordinate(right), coordinate(bottom)},
                      key, false, alpha);
  };
  int64_t x = s.x, y = s.y, scrollX = s.scrollX, scrollY = s.scrollY;
  int64_t viewWidth = s.viewWidth, viewHeight = s.viewHeight;
  int64_t w = std::min<int64_t>(viewWidth, s.mapWidth - scrollX);
  int64_t h = std::min<int64_t>(viewHeight, s.mapHeight - scrollY);
  piece(scrollX, scrollY, scrollX + w, scrollY + h, x, y);
  if (h < viewHeight) piece(scrollX, 0, scrollX + w, viewHeight - h, x, y + h);
  if (w < viewWidth) piece(0, scrollY, viewWidth - w, scrollY + h, x + w, y);
  if (h < viewHeight && w < viewWidth) piece(0, 0, viewWidth - w, viewHeight - h, x + w, y + h);
}

raster::Rect TSpriteList::Bounds(const Sprite& s, const TPatternList& patterns) const {
  switch (s.kind) {
    case Sprite::Kind::Pattern:
    case Sprite::Kind::DxPattern: {
      const TPatElem* e = resolve(patterns, s.pattern, nullptr);
      if (!e) return {s.x, s.y, coordinate(int64_t(s.x) + 1), coordinate(int64_t(s.y) + 1)};
      if (s.kind == Sprite::Kind::Pattern) return centred(s.x, s.y, e->width(), e->height());
      return centred(s.x, s.y, truncated(e->width() * s.scaleX), truncated(e->height() * s.scaleY));
    }
    case Sprite::Kind::Line:
    case Sprite::Kind::Rect:
      return {std::min(s.x, s.x2), std::min(s.y, s.y2), std::max(s.x, s.x2), std::max(s.y, s.y2)};
    case Sprite::Kind::Text: {
      auto [w, h] = text_.measure(fontNameOf(s), s.fontSize, s.fontStyle, textOf(s));
      return {s.x, s.y, coordinate(int64_t(s.x) + w), coordinate(int64_t(s.y) + h)};
    }
    case Sprite::Kind::Map:
      if (s.rotated) return centred(s.x, s.y, s.viewWidth, s.viewHeight);
      return {s.x, s.y, coordinate(int64_t(s.x) + s.viewWidth),
              coordinate(int64_t(s.y) + s.viewHeight)};
  }
  return {};
}

std::vector<vm::TValue> TSpriteList::OwnersAt(raster::Rect r, const TPatternList& patterns) const {
  auto centre = [](const raster::Rect& b, int64_t& cx, int64_t& cy, int64_t& hw, int64_t& hh) {
    hw = (int64_t(b.right) - b.left) / 2;
    hh = (int64_t(b.bottom) - b.top) / 2;
    cx = b.left + hw;
    cy = b.top + hh;
  };
  int64_t cx1, cy1, hw1, hh1;
  centre(r, cx1, cy1, hw1, hh1);
  std::vector<vm::TValue> owners;
  for (const Sprite& s : sprites_) {
    if (s.owner.kind != vm::vtObject) continue;
    int64_t cx2, cy2, hw2, hh2;
    centre(Bounds(s, patterns), cx2, cy2, hw2, hh2);
    if (std::llabs(cx1 - cx2) >= hw1 + hw2 || std::llabs(cy1 - cy2) >= hh1 + hh2) continue;
    bool known = std::any_of(owners.begin(), owners.end(),
                             [&](const vm::TValue& o) { return o.ref == s.owner.ref; });
    if (!known) owners.push_back(s.owner);
  }
  return owners;
}

}  // namespace zunka
