#include "screen/sprite_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zunka {
namespace {

// Scaled sizes are kept within what the drawing arithmetic can hold.
constexpr double kLargestDrawnSide = 1 << 30;

int32_t truncated(double value) {
  return int32_t(std::clamp(std::trunc(value), -kLargestDrawnSide, kLargestDrawnSide));
}

// The w × h rectangle centred on (x, y), halves truncated toward zero.
raster::Rect centred(int32_t x, int32_t y, int32_t w, int32_t h) {
  int32_t left = x - w / 2, top = y - h / 2;
  return {left, top, left + w, top + h};
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
  sprites_.push_back(sprite);
  vm::retain(sprites_.back().owner);
}

void TSpriteList::Clear() {
  // Owners are let go after the list is empty: a destructor they run may draw.
  std::vector<vm::TValue> owners;
  for (const Sprite& s : sprites_)
    if (s.owner.kind == vm::vtObject) owners.push_back(s.owner);
  sprites_.clear();
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
                        s.mirror);
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
        text_.draw(*composite_, s.x, s.y, s.fontName, s.fontSize, s.fontStyle,
                   raster::fromScriptColour(s.colour), s.text);
      return;
  }
}

raster::Rect TSpriteList::Bounds(const Sprite& s, const TPatternList& patterns) const {
  switch (s.kind) {
    case Sprite::Kind::Pattern:
    case Sprite::Kind::DxPattern: {
      const TPatElem* e = resolve(patterns, s.pattern, nullptr);
      if (!e) return {s.x, s.y, s.x + 1, s.y + 1};
      if (s.kind == Sprite::Kind::Pattern) return centred(s.x, s.y, e->width(), e->height());
      return centred(s.x, s.y, truncated(e->width() * s.scaleX), truncated(e->height() * s.scaleY));
    }
    case Sprite::Kind::Line:
    case Sprite::Kind::Rect:
      return {std::min(s.x, s.x2), std::min(s.y, s.y2), std::max(s.x, s.x2), std::max(s.y, s.y2)};
    case Sprite::Kind::Text: {
      auto [w, h] = text_.measure(s.fontName, s.fontSize, s.fontStyle, s.text);
      return {s.x, s.y, s.x + w, s.y + h};
    }
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
