#include "window/text_field.h"

#include <algorithm>

#include "platform/sjis_text.h"

namespace zunka {

void TextField::setText(std::string_view text) {
  text_ = std::string(text.substr(0, kLongestText));
  caret_ = text_.size();
  composing_.clear();
}

void TextField::type(std::string_view text, bool oneLine) {
  std::string typed;
  for (size_t i = 0; i < text.size();) {
    size_t n = platform::sjisCharLength(text, i);
    std::string_view c = text.substr(i, n);
    i += n;
    if (oneLine && (c == "\r" || c == "\n")) continue;
    typed += c;
  }
  size_t room = kLongestText - std::min(text_.size(), kLongestText);
  if (typed.size() > room) {
    // Cut at a character boundary.
    size_t keep = 0;
    while (keep < typed.size()) {
      size_t n = platform::sjisCharLength(typed, keep);
      if (keep + n > room) break;
      keep += n;
    }
    typed.resize(keep);
  }
  text_.insert(caret_, typed);
  caret_ += typed.size();
  composing_.clear();
}

// The start of the character before the caret (Shift_JIS is read from the start:
// a trail byte may look like a lead byte).
size_t TextField::previousBoundary() const {
  size_t at = 0, previous = 0;
  while (at < caret_) {
    previous = at;
    at += platform::sjisCharLength(text_, at);
  }
  return previous;
}

void TextField::backspace() {
  if (caret_ == 0) return;
  size_t from = previousBoundary();
  // A line break typed as CR LF goes as one.
  if (from > 0 && text_[from] == '\n' && text_[from - 1] == '\r') --from;
  text_.erase(from, caret_ - from);
  caret_ = from;
}

void TextField::deleteForward() {
  if (caret_ >= text_.size()) return;
  size_t n = platform::sjisCharLength(text_, caret_);
  if (text_.compare(caret_, 2, "\r\n") == 0) n = 2;
  text_.erase(caret_, n);
}

// A line break typed as CR LF is stepped over as one.
void TextField::left() {
  if (caret_ == 0) return;
  caret_ = previousBoundary();
  if (caret_ > 0 && text_[caret_] == '\n' && text_[caret_ - 1] == '\r') --caret_;
}

void TextField::right() {
  if (caret_ >= text_.size()) return;
  caret_ += text_.compare(caret_, 2, "\r\n") == 0 ? 2 : platform::sjisCharLength(text_, caret_);
}

}  // namespace zunka
