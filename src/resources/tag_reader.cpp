#include "resources/tag_reader.h"

#include "vm/console.h"
#include "vm/errors.h"

namespace zunka {

const char* const kTagTooDeep = "タグの入れ子が深すぎます";

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class CharacterReader {
 public:
  CharacterReader(std::string_view text, size_t pos) : t_(text), pos_(std::min(pos, text.size())) {}
  size_t pos() const { return pos_; }

  std::unique_ptr<TSGML> element(int depth) {
    size_t lt = t_.find('<', pos_);
    if (lt == std::string_view::npos) {
      pos_ = t_.size();
      return nullptr;
    }
    pos_ = lt;
    if (lt + 1 < t_.size() && t_[lt + 1] == '/') return nullptr;  // the caller's end tag
    if (depth >= kMaxTagDepth) throw EError(kTagTooDeep);
    ++pos_;
    skipBlanks();
    auto node = std::make_unique<TSGML>(name());
    bool open = false;
    if (!readAttributes(*node, open)) return node;
    if (!open || isChildlessTag(node->TagName())) return node;
    while (auto child = element(depth + 1)) node->AddChild(std::move(child));
    size_t gt = t_.find('>', pos_);  // the end tag, whatever its name
    pos_ = gt == std::string_view::npos ? t_.size() : gt + 1;
    return node;
  }

 private:
  bool atEnd() const { return pos_ >= t_.size(); }
  void skipBlanks() {
    while (!atEnd() && static_cast<unsigned char>(t_[pos_]) <= 32) ++pos_;
  }
  std::string name() {
    size_t start = pos_;
    while (!atEnd() && isNameChar(t_[pos_])) ++pos_;
    return std::string(t_.substr(start, pos_ - start));
  }

  // Reads attributes up to the end of the start tag; false when the text ended
  // inside it. `open` tells whether the tag ended with ">" (children may follow).
  bool readAttributes(TSGML& node, bool& open) {
    for (;;) {
      skipBlanks();
      if (atEnd()) return false;
      if (t_[pos_] == '>') {
        ++pos_;
        open = true;
        return true;
      }
      if (t_[pos_] == '/') {
        pos_ = std::min(pos_ + 2, t_.size());
        return true;
      }
      std::string attr = name();
      size_t quote = t_.find('"', pos_);  // anything between name and quote is skipped
      if (quote == std::string_view::npos) {
        pos_ = t_.size();
        return false;
      }
      pos_ = quote + 1;
      std::string value;
      if (!quotedValue(value)) return false;
      node.AppendAttr(attr, value);
    }
  }

  bool quotedValue(std::string& value) {
    while (!atEnd()) {
      char c = t_[pos_];
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c == '%') {
        if (pos_ + 2 >= t_.size()) break;  // "%" and its two characters need the closing quote too
        int high = hexDigit(t_[pos_ + 1]), low = hexDigit(t_[pos_ + 2]);
        value += static_cast<char>(high < 0 || low < 0 ? 0 : high * 16 + low);
        pos_ += 3;
      } else {
        value += c;
        ++pos_;
      }
    }
    pos_ = t_.size();
    return false;
  }

  std::string_view t_;
  size_t pos_;
};

// The pattern reader: the same shapes found with the expressions /<[^>]*>/ for
// tags, /<([\w\d]*)/ for the name and /([\w\d]*)="([^"]*)"/ for attributes.
class PatternReader {
 public:
  PatternReader(std::string_view text, size_t pos) : t_(text), pos_(std::min(pos, text.size())) {}
  size_t pos() const { return pos_; }

  std::unique_ptr<TSGML> element(int depth) {
    size_t start, end;
    if (!nextTag(start, end)) throw EError("Tag Error");
    if (depth >= kMaxTagDepth) throw EError(kTagTooDeep);
    pos_ = end;
    std::string_view tag = t_.substr(start, end - start);
    bool selfClosing = tag.size() >= 3 && tag.substr(tag.size() - 2) == "/>";
    // /<([\w\d]*)/ always matches a tag text, which starts with "<".
    size_t nameEnd = 1;
    while (nameEnd < tag.size() && isNameChar(tag[nameEnd])) ++nameEnd;
    auto node = std::make_unique<TSGML>(std::string(tag.substr(1, nameEnd - 1)));
    readAttributes(*node, tag.substr(nameEnd));
    if (selfClosing || isChildlessTag(node->TagName())) return node;
    for (;;) {
      if (!nextTag(start, end)) {
        LogError("invalid Tag : " + std::string(t_.substr(pos_)), {}, true);
        return node;
      }
      node->texts().push_back(UnescapeOnce(t_.substr(pos_, start - pos_)));
      if (t_[start + 1] == '/') {
        pos_ = end;
        return node;
      }
      pos_ = start;
      node->AddChild(element(depth + 1));
    }
  }

 private:
  // The next /<[^>]*>/ from the position: the first "<" and the first ">" after it.
  bool nextTag(size_t& start, size_t& end) const {
    start = t_.find('<', pos_);
    if (start == std::string_view::npos) return false;
    size_t gt = t_.find('>', start);
    if (gt == std::string_view::npos) return false;
    end = gt + 1;
    return true;
  }

  // Every match of /([\w\d]*)="([^"]*)"/, left to right; values unescaped twice.
  static void readAttributes(TSGML& node, std::string_view rest) {
    size_t p = 0;
    while (p < rest.size()) {
      size_t nameEnd = p;
      while (nameEnd < rest.size() && isNameChar(rest[nameEnd])) ++nameEnd;
      if (nameEnd + 1 < rest.size() && rest[nameEnd] == '=' && rest[nameEnd + 1] == '"') {
        size_t close = rest.find('"', nameEnd + 2);
        if (close == std::string_view::npos) return;  // no later match can close either
        std::string_view value = rest.substr(nameEnd + 2, close - nameEnd - 2);
        node.SetAttr(rest.substr(p, nameEnd - p), UnescapeOnce(UnescapeOnce(value)));
        p = close + 1;
      } else {
        // No match starts anywhere inside this run of name characters.
        p = nameEnd > p ? nameEnd : p + 1;
      }
    }
  }

  std::string_view t_;
  size_t pos_;
};

}  // namespace

std::unique_ptr<TSGML> ReadTagElement(std::string_view text, size_t& pos) {
  CharacterReader reader(text, pos);
  auto node = reader.element(0);
  pos = reader.pos();
  return node;
}

std::unique_ptr<TSGML> ParseTagText(std::string_view text) {
  size_t pos = 0;
  return ReadTagElement(text, pos);
}

std::unique_ptr<TSGML> ReadElement(std::string_view text, size_t& pos) {
  PatternReader reader(text, pos);
  auto node = reader.element(0);
  pos = reader.pos();
  return node;
}

}  // namespace zunka
