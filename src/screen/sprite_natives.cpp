#include "screen/sprite_natives.h"

#include "resources/project_state.h"
#include "resources/resources_state.h"
#include "screen/screen_state.h"
#include "vm/console.h"
#include "vm/natives/native_support.h"

namespace zunka {
namespace {

using vm::nativeArg;
using vm::toFloat;
using vm::toInt;
using vm::TValue;

bool drawnFrame() {
  return projectState().drawFrame;
}

// A sprite drawn by the receiving object at (x, y) less the drawing offset.
Sprite spriteOf(TValue* target, Sprite::Kind kind, int32_t x, int32_t y) {
  ScreenState& screen = screenState();
  Sprite s;
  s.kind = kind;
  s.owner = *target;
  if (s.owner.kind != vm::vtObject) s.owner = TValue{};
  s.x = x - screen.adjustX;
  s.y = y - screen.adjustY;
  return s;
}

ZUNKA_NATIVE(nativeInit) {
  vm::setInt(*target, 1);
}

ZUNKA_NATIVE(nativeNothing) {}

// set(ignored, x, y, pattern[, mirror[, z]])
ZUNKA_NATIVE(nativeSet) {
  if (argc < 4 || !drawnFrame()) return;
  Sprite s = spriteOf(target, Sprite::Kind::Pattern, toInt(nativeArg(target, 2)),
                      toInt(nativeArg(target, 3)));
  s.pattern = toInt(nativeArg(target, 4));
  s.mirror = argc >= 5 && toInt(nativeArg(target, 5)) == 1;
  s.z = argc >= 6 ? toInt(nativeArg(target, 6)) : 0;
  screenState().sprites.Append(s);
}

// drawDxSprite(x, y, pattern, mirror, z, angle, alpha, scaleX[, scaleY])
ZUNKA_NATIVE(nativeDrawDx) {
  if (argc < 8 || !drawnFrame()) return;
  Sprite s = spriteOf(target, Sprite::Kind::DxPattern, toInt(nativeArg(target, 1)),
                      toInt(nativeArg(target, 2)));
  s.pattern = toInt(nativeArg(target, 3));
  s.mirror = toInt(nativeArg(target, 4)) == 1;
  s.z = toInt(nativeArg(target, 5));
  s.angle = toInt(nativeArg(target, 6));
  s.alpha = toInt(nativeArg(target, 7));
  s.scaleX = toFloat(nativeArg(target, 8));
  s.scaleY = argc >= 9 ? toFloat(nativeArg(target, 9)) : s.scaleX;
  screenState().sprites.Append(s);
}

// drawLine / fillRect(x1, y1, x2, y2[, colour[, z]])
void appendShape(TValue* target, int32_t argc, Sprite::Kind kind) {
  if (argc < 4 || !drawnFrame()) return;
  Sprite s = spriteOf(target, kind, toInt(nativeArg(target, 1)), toInt(nativeArg(target, 2)));
  ScreenState& screen = screenState();
  s.x2 = toInt(nativeArg(target, 3)) - screen.adjustX;
  s.y2 = toInt(nativeArg(target, 4)) - screen.adjustY;
  s.colour = argc >= 5 ? toInt(nativeArg(target, 5)) : 0xFFFFFF;
  s.z = argc >= 6 ? toInt(nativeArg(target, 6)) : 0;
  screen.sprites.Append(s);
}
ZUNKA_NATIVE(nativeDrawLine) {
  appendShape(target, argc, Sprite::Kind::Line);
}
ZUNKA_NATIVE(nativeFillRect) {
  appendShape(target, argc, Sprite::Kind::Rect);
}

ZUNKA_NATIVE(nativePatternWidth) {
  if (argc >= 1)
    vm::setInt(*target, screenState().patterns.PatternSize(toInt(nativeArg(target, 1))).first);
}
ZUNKA_NATIVE(nativePatternHeight) {
  if (argc >= 1)
    vm::setInt(*target, screenState().patterns.PatternSize(toInt(nativeArg(target, 1))).second);
}

ZUNKA_NATIVE(nativeSetAdjust) {
  if (argc < 2) return;
  screenState().adjustX = toInt(nativeArg(target, 1));
  screenState().adjustY = toInt(nativeArg(target, 2));
}

// setText(x, y, text[, colour[, size[, z]]]): with fewer than five arguments a
// message box says so first (the kernel's drawText always gives six).
ZUNKA_NATIVE(nativeSetText) {
  if (!drawnFrame()) return;
  if (argc < 5) LogError("SetText..." + std::to_string(argc), {}, true);
  if (argc < 3) return;
  ScreenState& screen = screenState();
  Sprite s = spriteOf(target, Sprite::Kind::Text, toInt(nativeArg(target, 1)),
                      toInt(nativeArg(target, 2)));
  s.colour = argc >= 4 ? toInt(nativeArg(target, 4)) : 0xFFFFFF;
  s.fontSize = argc >= 5 ? toInt(nativeArg(target, 5)) : 12;
  s.z = argc >= 6 ? toInt(nativeArg(target, 6)) : 0;
  s.fontStyle = screen.fontStyle;
  // A string's bytes go straight into the list's text store: no copy per frame.
  std::string_view text;
  TValue& given = nativeArg(target, 3);
  if (vm::stringBytes(given, text)) {
    screen.sprites.AppendText(s, text, screen.fontName);
  } else {
    std::string shown = vm::toText(given);
    screen.sprites.AppendText(s, shown, screen.fontName);
  }
}

// setFont(name[, bold[, italic[, underline]]]), in every frame.
ZUNKA_NATIVE(nativeSetFont) {
  if (argc < 1) return;
  ScreenState& screen = screenState();
  screen.fontName = vm::toText(nativeArg(target, 1));
  screen.fontStyle.bold = argc >= 2 && toInt(nativeArg(target, 2)) != 0;
  screen.fontStyle.italic = argc >= 3 && toInt(nativeArg(target, 3)) != 0;
  screen.fontStyle.underline = argc >= 4 && toInt(nativeArg(target, 4)) != 0;
}

// textExtent(height?, text, size): the height (selector true) or the width in pixels.
ZUNKA_NATIVE(nativeTextExtent) {
  if (argc < 3) return;
  ScreenState& screen = screenState();
  auto [width, height] = screen.text.measure(screen.fontName, toInt(nativeArg(target, 3)),
                                             screen.fontStyle, vm::toText(nativeArg(target, 2)));
  vm::setInt(*target, toInt(nativeArg(target, 1)) != 0 ? height : width);
}

constexpr vm::NativeEntry kSpriteNatives[] = {
    {"native_setText", nativeSetText},
    {"_n_setFont", nativeSetFont},
    {"native_textExtent", nativeTextExtent},
    {"native_init", nativeInit},
    {"native_free", nativeNothing},
    {"native_set", nativeSet},
    {"_n_drawDxSprite", nativeDrawDx},
    {"native_drawLine", nativeDrawLine},
    {"native_fillRect", nativeFillRect},
    {"native_getPWidth", nativePatternWidth},
    {"native_getPHeight", nativePatternHeight},
    // No map surface or chip target exists in this player: nothing to draw.
    {"_n_drawChip", nativeNothing},
    {"_n_drawMapSprite", nativeNothing},
};

constexpr vm::NativeEntry kObjectDrawingNatives[] = {
    {"setAdjust", nativeSetAdjust},
    {"setMapPat", nativeNothing},
    {"pset", nativeNothing},
};

}  // namespace

void RegisterSpriteNatives() {
  RegisterNativeTable("classes.scr.Sprite", kSpriteNatives);
  RegisterNativeTable("classes.lang.Object", kObjectDrawingNatives);
}

}  // namespace zunka
