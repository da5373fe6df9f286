#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/painter.h"
#include "screen/raster.h"
#include "window/text_field.h"

namespace zunka::debugger {

// The debug window's controls. Each knows its box (set by the window's layout),
// draws itself and says whether a press fell on it; what a press means is the
// window's business.

inline bool inside(const raster::Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

struct Button {
  std::string caption;
  raster::Rect box;
  void draw(Painter& p) const;
};

struct CheckBox {
  std::string caption;
  raster::Rect box;
  bool checked = false;
  void draw(Painter& p) const;
};

// A titled list of text lines with a scroll position, one selected line and one
// marked line (the next instruction, the current source line).
class ListView {
 public:
  explicit ListView(std::string title) : title_(std::move(title)) {}
  // Where the view lies, and the height of its rows (its title takes one).
  void place(raster::Rect box, int32_t lineHeight);
  const raster::Rect& box() const { return box_; }

  void setLines(std::vector<std::string> lines);
  const std::vector<std::string>& lines() const { return lines_; }
  // Marks a line and scrolls it into view, a few lines from the top.
  void setMarked(int32_t line);
  int32_t marked() const { return marked_; }
  int32_t selected() const { return selected_; }
  int32_t top() const { return top_; }
  void setTitle(std::string title) { title_ = std::move(title); }

  void draw(Painter& p) const;
  // A press inside selects the line under it; gives the line, or -1.
  int32_t press(int32_t x, int32_t y);
  void scroll(int32_t rows);
  // Where row `row` (from the first shown) lies.
  int32_t rowTop(int32_t row) const { return box_.top + lineHeight_ + 1 + row * lineHeight_; }
  int32_t visibleRows() const { return rowsShown_; }

 private:
  void clampTop();
  raster::Rect box_;
  int32_t lineHeight_ = 16;
  std::string title_;
  std::vector<std::string> lines_;
  int32_t top_ = 0;
  int32_t marked_ = -1;
  int32_t selected_ = -1;
  int32_t rowsShown_ = 1;
};

// A one-line edit box with a caption before it.
struct LineEdit {
  std::string caption;
  raster::Rect box;  // the field itself
  TextField field;
  bool focused = false;
  void draw(Painter& p) const;
  // A key while focused; true when the box used it. `clipboard` for Ctrl+V.
  bool key(int32_t vk, bool control, std::string_view clipboardSjis);
};

}  // namespace zunka::debugger
