#include "window/dialogs.h"

#include <algorithm>

#include "platform/compositor.h"
#include "platform/stream_output.h"

namespace zunka {
namespace {

constexpr int32_t kCaptionHeight = 20;
constexpr int32_t kButtonHeight = 24;
constexpr int32_t kFieldHeight = 22;
constexpr int32_t kTextPoints = 10;
constexpr uint32_t kFace = 0xFFF0F0F0u;
constexpr uint32_t kEdge = 0xFF707070u;
constexpr uint32_t kCaptionFace = 0xFF204080u;
constexpr uint32_t kFieldFace = 0xFFFFFFFFu;
constexpr uint32_t kComposingLine = 0xFF2050C0u;
constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;  // text colours, 0xRRGGBB

// Virtual-key codes.
constexpr int32_t kBackspace = 0x08, kEnter = 0x0D, kEscape = 0x1B, kEnd = 0x23, kHome = 0x24,
                  kLeft = 0x25, kRight = 0x27, kDelete = 0x2E, kV = 0x56;

bool inside(const raster::Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

raster::Rect moved(raster::Rect r, int32_t dx, int32_t dy) {
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// A caption without its "&" accelerator marks ("はい(&Y)" shows "はい(Y)").
std::string shown(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i)
    if (caption[i] != '&' || i + 1 == caption.size() || caption[i + 1] == '&') out += caption[i];
  return out;
}

void frame(platform::Image& image, raster::Rect r, uint32_t face) {
  raster::fill(image, r, kEdge);
  raster::fill(image, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, face);
}

}  // namespace

// --- Opening and closing ---

bool Dialogs::isOpen(Kind kind) const {
  return std::find(open_.begin(), open_.end(), kind) != open_.end();
}

std::optional<Dialogs::Kind> Dialogs::focused() const {
  if (open_.empty()) return std::nullopt;
  return open_.back();
}

void Dialogs::show(Kind kind) {
  open_.erase(std::remove(open_.begin(), open_.end(), kind), open_.end());
  // The text editor gives up the keyboard to a box opened over it, and closes.
  if (kind != Kind::Editor)
    open_.erase(std::remove(open_.begin(), open_.end(), Kind::Editor), open_.end());
  open_.push_back(kind);
  if (unanswerable_ && !saidUnanswerable_) {
    saidUnanswerable_ = true;
    platform::StreamOutput::standardError().writeLine(
        "zunka: a dialog is open, and without a window only an input log (--replay) can "
        "answer it; it stays open");
  }
}

void Dialogs::close(Kind kind) {
  if (!isOpen(kind)) return;
  open_.erase(std::remove(open_.begin(), open_.end(), kind), open_.end());
  // Closed any other way than by a button: cancelled.
  if (kind == Kind::Input && input_.status == 0) input_.status = 2;
  if (kind == Kind::Select && select_.status == 0) select_.status = -1;
}

void Dialogs::finish(Kind kind, int32_t status) {
  if (kind == Kind::Input) input_.status = status;
  if (kind == Kind::Select) select_.status = status;
  close(kind);
}

void Dialogs::openInput(std::optional<std::string> caption, std::optional<std::string> prompt,
                        std::optional<std::string> text) {
  if (caption) input_.caption = *caption;
  if (prompt) input_.prompt = *prompt;
  if (text) input_.field.setText(*text);
  input_.status = 0;
  show(Kind::Input);
}

void Dialogs::openSelect(std::string message, std::string caption,
                         std::array<std::string, 4> buttons) {
  select_.message = std::move(message);
  select_.caption = std::move(caption);
  select_.moreButtons = buttons[2] != "null" && buttons[3] != "null";
  select_.buttons = std::move(buttons);
  select_.status = 0;
  show(Kind::Select);
}

void Dialogs::edit(raster::Rect place, std::string fontName, int32_t fontSize, bool oneLine,
                   platform::TextRenderer& text) {
  editor_.fontName = std::move(fontName);
  editor_.fontSize = fontSize;
  editor_.oneLine = oneLine;
  if (oneLine) {
    // As high as one line of its font.
    int32_t lineHeight = text.measure(editor_.fontName, fontSize, {}, "").second;
    place.bottom = place.top + std::max(lineHeight, 1) + 6;
  }
  editor_.place = place;
  show(Kind::Editor);
}

// --- Typing and pressing ---

bool Dialogs::key(int32_t vk, bool control, std::string_view clipboardSjis) {
  std::optional<Kind> kind = focused();
  if (!kind) return false;
  if (*kind == Kind::Select) {
    if (vk == kEnter)
      finish(Kind::Select, 1);  // the default button
    else if (vk == kEscape)
      finish(Kind::Select, 2);  // the cancel button
    else
      return false;
    return true;
  }
  TextField& field = *kind == Kind::Input ? input_.field : editor_.field;
  bool oneLine = *kind == Kind::Input || editor_.oneLine;
  switch (vk) {
    case kEnter:
      if (*kind == Kind::Input)
        finish(Kind::Input, 1);
      else if (!oneLine)
        field.type("\r\n", false);
      return true;
    case kEscape:
      if (*kind == Kind::Input)
        finish(Kind::Input, 2);
      else
        close(Kind::Editor);
      return true;
    case kBackspace:
      field.backspace();
      return true;
    case kDelete:
      field.deleteForward();
      return true;
    case kLeft:
      field.left();
      return true;
    case kRight:
      field.right();
      return true;
    case kHome:
      field.home();
      return true;
    case kEnd:
      field.end();
      return true;
    case kV:
      if (!control) return false;
      field.type(clipboardSjis, oneLine);
      return true;
    default:
      return false;
  }
}

void Dialogs::type(std::string_view sjis) {
  std::optional<Kind> kind = focused();
  if (!kind || *kind == Kind::Select) return;
  if (*kind == Kind::Input)
    input_.field.type(sjis, true);
  else
    editor_.field.type(sjis, editor_.oneLine);
}

void Dialogs::compose(std::string_view sjis) {
  std::optional<Kind> kind = focused();
  if (!kind || *kind == Kind::Select) return;
  (*kind == Kind::Input ? input_.field : editor_.field).setComposing(sjis);
}

bool Dialogs::press(int32_t x, int32_t y) {
  // From the top: the dialog with the keyboard is drawn over the others.
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    Kind kind = *it;
    Layout layout = layoutOf(kind, gameWidth_, gameHeight_);
    if (!inside(layout.box, x, y)) continue;
    show(kind);  // a press gives it the keyboard
    if (inside(layout.close, x, y) && kind != Kind::Editor) {
      close(kind);
      return true;
    }
    for (const auto& [button, status] : layout.buttons)
      if (inside(button, x, y)) {
        finish(kind, status);
        return true;
      }
    return true;
  }
  close(Kind::Editor);  // it lost the keyboard
  return false;
}

void Dialogs::answer(std::string_view word) {
  std::optional<Kind> kind = focused();
  if (!kind) return;
  if (word == "close") return close(*kind);
  if (*kind == Kind::Editor) return close(Kind::Editor);
  int32_t status = word == "ok" ? 1 : word == "cancel" ? 2 : word[0] - '0';
  if (*kind == Kind::Input && (status == 1 || status == 2)) finish(Kind::Input, status);
  if (*kind == Kind::Select && status >= 1 && status <= (select_.moreButtons ? 4 : 2))
    finish(Kind::Select, status);
}

// --- Layout and drawing ---

Dialogs::Layout Dialogs::layoutOf(Kind kind, int32_t gameWidth, int32_t gameHeight) const {
  Layout l;
  if (kind == Kind::Editor) {
    l.box = editor_.place;
    l.field = editor_.place;
    return l;
  }
  int32_t width = kind == Kind::Input ? 320 : 380, height = kind == Kind::Input ? 128 : 112;
  int32_t left = std::max((gameWidth - width) / 2, 0), top = std::max((gameHeight - height) / 2, 0);
  l.box = {left, top, left + width, top + height};
  l.close = {l.box.right - kCaptionHeight, top, l.box.right, top + kCaptionHeight};
  int32_t buttonTop = l.box.bottom - kButtonHeight - 10;
  if (kind == Kind::Input) {
    l.field = {left + 12, top + 52, l.box.right - 12, top + 52 + kFieldHeight};
    l.buttons.push_back(
        {{l.box.right - 182, buttonTop, l.box.right - 102, buttonTop + kButtonHeight}, 1});
    l.buttons.push_back(
        {{l.box.right - 92, buttonTop, l.box.right - 12, buttonTop + kButtonHeight}, 2});
    return l;
  }
  int32_t count = select_.moreButtons ? 4 : 2;
  for (int32_t i = 0; i < count; ++i) {
    int32_t right = l.box.right - 12 - (count - 1 - i) * 90;
    l.buttons.push_back({{right - 84, buttonTop, right, buttonTop + kButtonHeight}, i + 1});
  }
  return l;
}

void Dialogs::draw(platform::Image& client, int32_t left, int32_t top, platform::TextRenderer& text,
                   int32_t gameWidth, int32_t gameHeight) const {
  gameWidth_ = gameWidth;  // presses use the size last drawn at
  gameHeight_ = gameHeight;
  platform::CompositeTarget target(client);
  auto write = [&](int32_t x, int32_t y, std::string_view s, uint32_t rgb,
                   int32_t points = kTextPoints, std::string_view font = "") {
    text.draw(target, x, y, font, points, {}, rgb, s);
  };
  // The text of a field, the composition after the caret's text underlined, and
  // the caret.
  auto drawField = [&](raster::Rect r, const TextField& field, std::string_view font,
                       int32_t points, bool oneLine) {
    frame(client, r, kFieldFace);
    std::string before = field.text().substr(0, field.caret());
    std::string shownText = before + field.composing() + field.text().substr(field.caret());
    int32_t lineHeight = std::max(text.measure(font, points, {}, "").second, 1);
    if (oneLine) {
      write(r.left + 3, r.top + 3, shownText, kBlack, points, font);
    } else {
      int32_t y = r.top + 3;
      size_t start = 0;
      while (start <= shownText.size() && y < r.bottom) {
        size_t end = shownText.find("\r\n", start);
        write(r.left + 3, y, shownText.substr(start, end - start), kBlack, points, font);
        if (end == std::string::npos) break;
        start = end + 2;
        y += lineHeight;
      }
    }
    // The caret after the text before it (on its own line in a memo).
    size_t lineStart = oneLine ? 0 : before.rfind("\r\n");
    int32_t lines = 0;
    for (size_t at = before.find("\r\n"); !oneLine && at != std::string::npos;
         at = before.find("\r\n", at + 2))
      ++lines;
    std::string lineBefore =
        lineStart == std::string::npos || oneLine ? before : before.substr(lineStart + 2);
    int32_t x = r.left + 3 + text.measure(font, points, {}, lineBefore).first;
    int32_t y = r.top + 3 + lines * lineHeight;
    if (!field.composing().empty()) {
      int32_t w = text.measure(font, points, {}, field.composing()).first;
      raster::fill(client, moved({x, y + lineHeight, x + w, y + lineHeight + 1}, 0, 0),
                   kComposingLine);
      x += w;
    }
    raster::fill(client, {x, y, x + 1, y + lineHeight}, 0xFF000000u);
  };
  for (Kind kind : open_) {
    Layout l = layoutOf(kind, gameWidth, gameHeight);
    if (kind == Kind::Editor) {
      drawField(moved(l.field, left, top), editor_.field, editor_.fontName, editor_.fontSize,
                editor_.oneLine);
      continue;
    }
    const Box& box = kind == Kind::Input ? static_cast<const Box&>(input_) : select_;
    raster::Rect b = moved(l.box, left, top);
    frame(client, b, kFace);
    raster::fill(client, {b.left + 1, b.top + 1, b.right - 1, b.top + kCaptionHeight},
                 kCaptionFace);
    write(b.left + 6, b.top + 3, box.caption, kWhite);
    write(l.close.left + left + 6, b.top + 3, "×", kWhite);
    if (kind == Kind::Input) {
      write(b.left + 12, b.top + 30, input_.prompt, kBlack);
      drawField(moved(l.field, left, top), input_.field, "", kTextPoints + 2, true);
    } else {
      write(b.left + 12, b.top + 34, select_.message, kBlack);
    }
    for (const auto& [button, status] : l.buttons) {
      raster::Rect r = moved(button, left, top);
      frame(client, r, kFace);
      std::string label = kind == Kind::Input ? (status == 1 ? "OK" : "キャンセル")
                                              : shown(select_.buttons[size_t(status - 1)]);
      int32_t w = text.measure("", kTextPoints, {}, label).first;
      write(r.left + (r.right - r.left - w) / 2, r.top + 5, label, kBlack);
    }
  }
}

}  // namespace zunka
