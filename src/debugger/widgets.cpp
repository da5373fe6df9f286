#include "debugger/widgets.h"

#include <algorithm>

#include "platform/sjis_text.h"

namespace zunka::debugger {

namespace {

constexpr uint32_t kFace = 0xFFE8E8E8u;
constexpr uint32_t kEdge = 0xFF808080u;
constexpr uint32_t kPaper = 0xFFFFFFFFu;
constexpr uint32_t kTitleFace = 0xFFD0D8E8u;
constexpr uint32_t kMarkedFace = 0xFFFFE880u;
constexpr uint32_t kSelectedFace = 0xFFC0D8FFu;
constexpr uint32_t kFocusEdge = 0xFF3060C0u;
constexpr uint32_t kInk = 0x000000, kTitleInk = 0x203060;  // text colours, 0xRRGGBB

// Virtual-key codes.
constexpr int32_t kBackspace = 0x08, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kRight = 0x27,
                  kDelete = 0x2E, kV = 0x56;

// Text is set a little in from the left edge, and centred in its row.
int32_t inset(const Painter& p) {
  return 4 * p.scale();
}

}  // namespace

void Button::draw(Painter& p) const {
  p.box(box, kEdge, kFace);
  int32_t width = p.widthOf(caption);
  int32_t x = box.left + std::max((box.right - box.left - width) / 2, inset(p));
  int32_t y = box.top + (box.bottom - box.top - p.lineHeight()) / 2;
  p.text(x, y, caption, kInk, box.right - x);
}

void CheckBox::draw(Painter& p) const {
  int32_t side = p.lineHeight() - 4 * p.scale();
  int32_t top = box.top + (box.bottom - box.top - side) / 2;
  raster::Rect tick{box.left, top, box.left + side, top + side};
  p.box(tick, kEdge, kPaper);
  if (checked)
    p.fill({tick.left + 3 * p.scale(), tick.top + 3 * p.scale(), tick.right - 3 * p.scale(),
            tick.bottom - 3 * p.scale()},
           0xFF202020u);
  int32_t x = tick.right + inset(p);
  p.text(x, box.top + (box.bottom - box.top - p.lineHeight()) / 2, caption, kInk, box.right - x);
}

void ListView::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  if (selected_ >= int32_t(lines_.size())) selected_ = -1;
  if (marked_ >= int32_t(lines_.size())) marked_ = -1;
  clampTop();
}

void ListView::setMarked(int32_t line) {
  marked_ = line;
  if (line < 0) return;
  // Keep the marked line in view with some of what leads to it above.
  if (line < top_ || line >= top_ + rowsShown_) top_ = std::max(line - rowsShown_ / 3, 0);
}

void ListView::place(raster::Rect box, int32_t lineHeight) {
  box_ = box;
  lineHeight_ = std::max(lineHeight, 1);
  rowsShown_ = std::max((box.bottom - box.top - lineHeight_ - 2) / lineHeight_, 1);
  clampTop();
}

void ListView::clampTop() {
  int32_t most = std::max(int32_t(lines_.size()) - rowsShown_, 0);
  top_ = std::clamp(top_, 0, most);
}

void ListView::draw(Painter& p) const {
  const raster::Rect& box = box_;
  int32_t h = lineHeight_;
  p.box(box, kEdge, kPaper);
  p.fill({box.left + 1, box.top + 1, box.right - 1, box.top + h}, kTitleFace);
  std::string title = title_ + "  (" + std::to_string(lines_.size()) + ")";
  p.text(box.left + inset(p), box.top, title, kTitleInk, box.right - box.left - 2 * inset(p));
  int32_t width = box.right - box.left - 2 * inset(p);
  for (int32_t row = 0; row < rowsShown_; ++row) {
    int32_t line = top_ + row;
    if (line >= int32_t(lines_.size())) break;
    int32_t y = rowTop(row);
    if (line == marked_ || line == selected_)
      p.fill({box.left + 1, y, box.right - 1, y + h},
             line == marked_ ? kMarkedFace : kSelectedFace);
    p.text(box.left + inset(p), y, lines_[size_t(line)], kInk, width);
  }
  // Where the view is in the whole list, along the right edge.
  if (int32_t(lines_.size()) > rowsShown_) {
    int32_t trackTop = box.top + h, trackHeight = box.bottom - trackTop - 1;
    int32_t thumbTop = trackTop + trackHeight * top_ / int32_t(lines_.size());
    int32_t thumbHeight = std::max(trackHeight * rowsShown_ / int32_t(lines_.size()), 4);
    p.fill({box.right - 4 * p.scale(), thumbTop, box.right - 1, thumbTop + thumbHeight}, kEdge);
  }
}

int32_t ListView::press(int32_t x, int32_t y) {
  if (!inside(box_, x, y) || y < rowTop(0)) return -1;
  int32_t line = top_ + (y - rowTop(0)) / lineHeight_;
  if (line >= int32_t(lines_.size())) return -1;
  selected_ = line;
  return line;
}

void ListView::scroll(int32_t rows) {
  top_ += rows;
  clampTop();
}

void LineEdit::draw(Painter& p) const {
  if (!caption.empty())
    p.text(box.left - p.widthOf(caption) - inset(p),
           box.top + (box.bottom - box.top - p.lineHeight()) / 2, caption, kInk);
  p.box(box, focused ? kFocusEdge : kEdge, kPaper);
  int32_t width = box.right - box.left - 2 * inset(p);
  int32_t columns = std::max(width / p.columnWidth() - 1, 1);
  // The end of a text too long to show, so that the caret stays in view.
  std::string_view text = field.text();
  std::string_view before = text.substr(0, field.caret());
  size_t start = 0;
  while (columnsOf(before.substr(start)) > columns)
    start += platform::sjisCharLength(before, start);
  std::string shown(text.substr(start));
  int32_t y = box.top + (box.bottom - box.top - p.lineHeight()) / 2;
  p.text(box.left + inset(p), y, shown, kInk, width);
  if (focused) {
    int32_t caretX = box.left + inset(p) + columnsOf(before.substr(start)) * p.columnWidth();
    std::string composing = field.composing();
    if (!composing.empty()) {
      p.text(caretX, y, composing, 0x2050C0, box.right - caretX);
      caretX += p.widthOf(composing);
    }
    p.fill({caretX, y + p.scale(), caretX + p.scale(), y + p.lineHeight() - p.scale()},
           0xFF000000u);
  }
}

bool LineEdit::key(int32_t vk, bool control, std::string_view clipboardSjis) {
  switch (vk) {
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
      field.type(clipboardSjis, true);
      return true;
    default:
      return false;
  }
}

}  // namespace zunka::debugger
