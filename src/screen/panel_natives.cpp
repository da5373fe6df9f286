#include "screen/panel_natives.h"

#include <algorithm>
#include <optional>

#include "platform/files.h"
#include "platform/image_file.h"
#include "resources/files_folder.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "screen/screen_state.h"
#include "vm/class_object.h"
#include "vm/natives/native_support.h"
#include "vm/symbols.h"

namespace zunka {
namespace {

// A panel saved without a name is "untitled" in the files folder.
std::string panelFileName(std::string_view name) {
  return std::string(name.empty() ? "untitled" : name);
}

using vm::nativeArg;
using vm::toFloat;
using vm::toInt;
using vm::TValue;

// Panel files are read whole before anything changes; none larger is read.
constexpr size_t kLargestPanelFile = size_t(1) << 28;

TSurface* panelArg(TValue* target, int32_t argc, int32_t index = 1) {
  if (argc < index) return nullptr;
  const TValue& v = nativeArg(target, index);
  return v.kind == vm::vtHost ? liveSurface(v.ref) : nullptr;
}

void setPanel(TValue& slot, const TSurface* panel) {
  if (panel)
    vm::setHost(slot, panel->handle());
  else
    vm::setInt(slot, 0);
}

// A sprite stamped onto a panel: no drawing offset, no owner, in every frame.
void stamp(TSurface& panel, const Sprite& sprite, std::string_view text = {}) {
  ScreenState& screen = screenState();
  screen.sprites.Stamp(sprite, panel.image, screen.patterns, text, screen.fontName);
}

// The value of member `name` of the receiving object, or none.
TValue memberOf(const TValue& self, std::string_view name) {
  vm::TfObject* o = vm::objectOf(self);
  vm::ClassObject* c = vm::classOf(o);
  if (!c) return {};
  int32_t hint = 0;
  int32_t slot = c->MemberIndex(vm::symbols::intern(name), hint);
  int32_t members = c->memberSlots();
  if (slot < 0 || slot >= members) return {};
  return o->members()[slot];
}

ZUNKA_NATIVE(nativeInit) {
  if (argc < 2) return;
  setPanel(*target,
           screenState().panels.Create(toInt(nativeArg(target, 1)), toInt(nativeArg(target, 2))));
}

ZUNKA_NATIVE(nativeFree) {
  if (TSurface* panel = panelArg(target, argc)) screenState().panels.Free(panel);
}

ZUNKA_NATIVE(nativeWidth) {
  TSurface* panel = panelArg(target, argc);
  vm::setInt(*target, panel ? panel->image.width : 0);
}

ZUNKA_NATIVE(nativeHeight) {
  TSurface* panel = panelArg(target, argc);
  vm::setInt(*target, panel ? panel->image.height : 0);
}

// resize(panel, width, height): a larger panel (sizes rounded up past the next 32)
// only when the old one is too narrow or too low; the picture kept at its top-left.
ZUNKA_NATIVE(nativeResize) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 3 || !panel) {
    if (argc >= 1) vm::setInt(*target, 0);
    return;
  }
  int32_t width = toInt(nativeArg(target, 2)), height = toInt(nativeArg(target, 3));
  if (panel->image.width >= width && panel->image.height >= height) {
    setPanel(*target, panel);
    return;
  }
  auto rounded = [](int32_t side) { return int32_t((int64_t(side) + 32) & ~int64_t(31)); };
  TSurface* grown = screenState().panels.Create(rounded(width), rounded(height));
  if (!grown) {  // too large: the panel stays as it was
    setPanel(*target, panel);
    return;
  }
  raster::copy(grown->image, 0, 0, panel->image);
  screenState().panels.Free(panel);
  setPanel(*target, grown);
}

ZUNKA_NATIVE(nativeSetTransparentColour) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 2 || !panel) return;
  panel->transparentColour = raster::fromScriptColour(toInt(nativeArg(target, 2))) & 0xFFFFFF;
}

// drawSprite(panel, x, y, pattern[, mirror])
ZUNKA_NATIVE(nativeDrawSprite) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 4 || !panel) return;
  Sprite s;
  s.x = toInt(nativeArg(target, 2));
  s.y = toInt(nativeArg(target, 3));
  s.pattern = toInt(nativeArg(target, 4));
  s.mirror = argc >= 5 && vm::isTrue(nativeArg(target, 5));
  stamp(*panel, s);
}

// drawDxSprite(panel, x, y, pattern, mirror, angle, scaleX[, scaleY])
ZUNKA_NATIVE(nativeDrawDxSprite) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 7 || !panel) return;
  Sprite s;
  s.kind = Sprite::Kind::DxPattern;
  s.x = toInt(nativeArg(target, 2));
  s.y = toInt(nativeArg(target, 3));
  s.pattern = toInt(nativeArg(target, 4));
  s.mirror = vm::isTrue(nativeArg(target, 5));
  s.angle = toInt(nativeArg(target, 6));
  s.scaleX = toFloat(nativeArg(target, 7));
  bool scaleYGiven = argc >= 8 && nativeArg(target, 8).kind != vm::vtNull;
  s.scaleY = scaleYGiven ? toFloat(nativeArg(target, 8)) : s.scaleX;
  stamp(*panel, s);
}

void stampShape(TValue* target, int32_t argc, Sprite::Kind kind) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 6 || !panel) return;
  Sprite s;
  s.kind = kind;
  s.x = toInt(nativeArg(target, 2));
  s.y = toInt(nativeArg(target, 3));
  s.x2 = toInt(nativeArg(target, 4));
  s.y2 = toInt(nativeArg(target, 5));
  s.colour = toInt(nativeArg(target, 6));
  stamp(*panel, s);
}
ZUNKA_NATIVE(nativeDrawLine) {
  stampShape(target, argc, Sprite::Kind::Line);
}
ZUNKA_NATIVE(nativeFillRect) {
  stampShape(target, argc, Sprite::Kind::Rect);
}

// drawText(panel, x, y, text, colour, size) in the current font.
ZUNKA_NATIVE(nativeDrawText) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 6 || !panel) return;
  Sprite s;
  s.kind = Sprite::Kind::Text;
  s.x = toInt(nativeArg(target, 2));
  s.y = toInt(nativeArg(target, 3));
  s.colour = toInt(nativeArg(target, 5));
  s.fontSize = toInt(nativeArg(target, 6));
  s.fontStyle = screenState().fontStyle;
  stamp(*panel, s, vm::toText(nativeArg(target, 4)));
}

// getPixel(panel, x, y): 00BBGGRR; -1 outside the panel.
ZUNKA_NATIVE(nativeGetPixel) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 3) return;
  int32_t x = toInt(nativeArg(target, 2)), y = toInt(nativeArg(target, 3));
  if (!panel) return vm::setInt(*target, 0);
  const platform::Image& image = panel->image;
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return vm::setInt(*target, -1);
  uint32_t p = image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
  vm::setInt(*target, int32_t((p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF)));
}

raster::Rect rectArg(TValue* target, int32_t first) {
  return {toInt(nativeArg(target, first)), toInt(nativeArg(target, first + 1)),
          toInt(nativeArg(target, first + 2)), toInt(nativeArg(target, first + 3))};
}

// copyRect(panel, l, t, r, b, source, sl, st, sr, sb)
ZUNKA_NATIVE(nativeCopyRect) {
  TSurface* panel = panelArg(target, argc);
  TSurface* source = panelArg(target, argc, 6);
  if (argc < 10 || !panel || !source) return;
  raster::stretchKeyed(panel->image, rectArg(target, 2), source->image, rectArg(target, 7),
                       source->transparentColour);
  vm::setInt(*target, 1);
}

// draw(panel, x, y, mapWidth, mapHeight, scrollX, scrollY, viewWidth, viewHeight, z,
// alpha, angle[, rotated]): shows the panel this frame, owned by this.target.
ZUNKA_NATIVE(nativeDraw) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 12 || !panel) return;
  ScreenState& screen = screenState();
  Sprite s;
  s.kind = Sprite::Kind::Map;
  s.surface = panel->handle();
  s.x = int32_t(uint32_t(toInt(nativeArg(target, 2))) - uint32_t(screen.adjustX));
  s.y = int32_t(uint32_t(toInt(nativeArg(target, 3))) - uint32_t(screen.adjustY));
  s.mapWidth = toInt(nativeArg(target, 4));
  s.mapHeight = toInt(nativeArg(target, 5));
  s.scrollX = toInt(nativeArg(target, 6));
  s.scrollY = toInt(nativeArg(target, 7));
  s.viewWidth = toInt(nativeArg(target, 8));
  s.viewHeight = toInt(nativeArg(target, 9));
  s.z = toInt(nativeArg(target, 10));
  s.alpha = toInt(nativeArg(target, 11));
  s.angle = toInt(nativeArg(target, 12));
  s.rotated = argc >= 13 && vm::isTrue(nativeArg(target, 13));
  TValue owner = memberOf(*target, "target");
  if (owner.kind == vm::vtObject) s.owner = owner;
  screen.sprites.Append(s);
}

// save(panel, name, left, top, right, bottom): 1 when written.
ZUNKA_NATIVE(nativeSave) {
  TSurface* panel = panelArg(target, argc);
  if (argc < 6) return;
  vm::setInt(*target, 0);
  std::string name = panelFileName(vm::toText(nativeArg(target, 2)));
  if (!panel || FilesFolderPath(name, resourceTree().workDir).empty()) return;
  raster::Rect r = rectArg(target, 3);
  int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
  if (width <= 0 || height <= 0 || width > TPanelTable::kLargestSide ||
      height > TPanelTable::kLargestSide)
    return;
  platform::Image picture;
  picture.width = int32_t(width);
  picture.height = int32_t(height);
  picture.pixels.assign(size_t(width * height), 0xFF000000u);
  raster::copy(picture, -r.left, -r.top, panel->image);
  std::string path = ScriptFileToWrite(name, true);
  if (path.empty()) return;
  // Written beside the file and renamed over it: never half a file.
  if (platform::writeFile(path, platform::encodeBitmap(picture))) vm::setInt(*target, 1);
}

// load(panel, name): the handle of a new panel holding the picture, or 0; the old
// panel is freed only once the whole file has been read and understood.
ZUNKA_NATIVE(nativeLoad) {
  if (argc < 2) return;
  vm::setInt(*target, 0);
  std::string path = ExistingScriptFile(panelFileName(vm::toText(nativeArg(target, 2))));
  if (path.empty()) return;
  std::string bytes;
  if (!platform::readFile(path, bytes) || bytes.size() > kLargestPanelFile) return;
  std::string error;
  std::optional<platform::Image> picture = platform::decodeImage(bytes, error);
  if (!picture) return;
  TSurface* loaded = screenState().panels.Create(picture->width, picture->height);
  if (!loaded) return;
  for (uint32_t& p : picture->pixels) p |= 0xFF000000u;
  loaded->image = std::move(*picture);
  if (TSurface* old = panelArg(target, argc)) screenState().panels.Free(old);
  setPanel(*target, loaded);
}

constexpr vm::NativeEntry kPanelNatives[] = {
    {"_n_init", nativeInit},
    {"_n_free", nativeFree},
    {"_n_regetWidth", nativeWidth},
    {"_n_regetHeight", nativeHeight},
    {"_n_resize", nativeResize},
    {"_n_setTransparentColor", nativeSetTransparentColour},
    {"_n_drawSprite", nativeDrawSprite},
    {"_n_drawDxSprite", nativeDrawDxSprite},
    {"_n_drawLine", nativeDrawLine},
    {"_n_fillRect", nativeFillRect},
    {"_n_drawText", nativeDrawText},
    {"_n_getPixel", nativeGetPixel},
    {"_n_copyRect", nativeCopyRect},
    {"_n_draw", nativeDraw},
    {"_n_save", nativeSave},
    {"_n_load", nativeLoad},
};

}  // namespace

std::string PanelFilePath(std::string_view name, std::string_view workDir) {
  return FilesFolderPath(panelFileName(name), workDir);
}

void RegisterPanelNatives() {
  RegisterNativeTable("classes.sys.Panel", kPanelNatives);
}

}  // namespace zunka
