#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image_file.h"
#include "platform/text_renderer.h"
#include "screen/raster.h"
#include "window/text_field.h"

namespace zunka {

// The three small windows scripts ask the player with, drawn by the player over
// the game area: the input box (a line of text), the selection box (up to four
// buttons) and the text editor (a box of text placed by the script). None blocks
// the game: scripts poll their status. The one opened last has the keyboard.
// Everything is in game-area pixels; texts are Shift_JIS.
class Dialogs {
 public:
  enum class Kind : uint8_t { Input, Select, Editor };

  // --- The input box: status 0 open, 1 OK, 2 cancelled or closed ---
  // Arguments left out (nullopt) keep what the box showed last.
  void openInput(std::optional<std::string> caption, std::optional<std::string> prompt,
                 std::optional<std::string> text);
  int32_t inputStatus() const { return input_.status; }
  const std::string& inputText() const { return input_.field.text(); }

  // --- The selection box: status 0 open, the button's number, -1 closed ---
  // A caption of exactly "null" hides buttons 3 and 4.
  void openSelect(std::string message, std::string caption, std::array<std::string, 4> buttons);
  int32_t selectStatus() const { return select_.status; }

  // --- The text editor: one line or a memo, closed when it loses the keyboard ---
  void edit(raster::Rect place, std::string fontName, int32_t fontSize, bool oneLine,
            platform::TextRenderer& text);
  bool editing() const { return isOpen(Kind::Editor); }
  const std::string& editorText() const { return editor_.field.text(); }
  void setEditorText(std::string_view text) { editor_.field.setText(text); }

  // --- What the user does (from the window or a replayed log) ---
  bool anyOpen() const { return !open_.empty(); }
  // A key pressed while a dialog has the keyboard; true when it used it.
  bool key(int32_t vk, bool control, std::string_view clipboardSjis);
  void type(std::string_view sjis);
  void compose(std::string_view sjis);
  // A press at (x, y): true when it fell on a dialog (the game does not see it).
  // A press elsewhere takes the keyboard from the text editor, which closes.
  bool press(int32_t x, int32_t y);
  // The answer of a log: "ok", "cancel", "close" or a button number "1" to "4".
  void answer(std::string_view word);
  // The player's window lost the keyboard: the text editor closes.
  void windowDeactivated() { close(Kind::Editor); }

  // Draws the open dialogs, the one with the keyboard on top, onto `client` with
  // the game area's top-left at (left, top).
  void draw(platform::Image& client, int32_t left, int32_t top, platform::TextRenderer& text,
            int32_t gameWidth, int32_t gameHeight) const;

  // Set where nothing can answer (headless without an input log): the first
  // dialog opened then says so, once.
  void setUnanswerable(bool unanswerable) { unanswerable_ = unanswerable; }

 private:
  struct Box {
    int32_t status = 0;
    std::string caption;
  };
  struct InputBox : Box {
    std::string prompt = "文字を入力してください：";
    TextField field;
  };
  struct SelectBox : Box {
    std::string message;
    std::array<std::string, 4> buttons{"はい(&Y)", "いいえ(&N)", "", ""};
    bool moreButtons = false;  // buttons 3 and 4 show
  };
  struct Editor {
    raster::Rect place;
    std::string fontName;
    int32_t fontSize = 12;
    bool oneLine = true;
    TextField field;
  };
  // Where the parts of a box lie, for drawing and for presses alike.
  struct Layout {
    raster::Rect box, close, field;
    std::vector<std::pair<raster::Rect, int32_t>> buttons;  // with the status they give
  };

  bool isOpen(Kind kind) const;
  void show(Kind kind);
  void close(Kind kind);
  void finish(Kind kind, int32_t status);
  std::optional<Kind> focused() const;
  Layout layoutOf(Kind kind, int32_t gameWidth, int32_t gameHeight) const;

  InputBox input_{{0, "入力"}, {}, {}};
  SelectBox select_{{0, "確認"}, {}, {}, false};
  Editor editor_;
  std::vector<Kind> open_;  // in the order opened: the last has the keyboard
  mutable int32_t gameWidth_ = 560, gameHeight_ = 381;  // as last drawn, for presses
  bool unanswerable_ = false;
  bool saidUnanswerable_ = false;
};

}  // namespace zunka
