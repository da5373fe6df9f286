#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zunka {

// The text of an edit box (Shift_JIS) with its caret, which always stands between
// two characters; and what an input method is composing, shown at the caret
// until it is typed.
class TextField {
 public:
  const std::string& text() const { return text_; }
  size_t caret() const { return caret_; }
  const std::string& composing() const { return composing_; }

  void setText(std::string_view text);
  // Types `text` at the caret; a one-line field keeps line breaks out.
  void type(std::string_view text, bool oneLine);
  void setComposing(std::string_view text) { composing_ = text; }
  void backspace();
  void deleteForward();
  void left();
  void right();
  void home() { caret_ = 0; }
  void end() { caret_ = text_.size(); }

  // No field holds more than this many bytes: pasting a book stops there.
  static constexpr size_t kLongestText = 1 << 16;

 private:
  size_t previousBoundary() const;
  std::string text_;
  size_t caret_ = 0;
  std::string composing_;
};

}  // namespace zunka
