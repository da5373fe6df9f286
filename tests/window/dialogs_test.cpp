#include <gtest/gtest.h>

#include <string>

#include "platform/image_file.h"
#include "screen/screen_state.h"
#include "window/dialogs.h"
#include "window/text_field.h"

using namespace zunka;

namespace {

// "日本" in Shift_JIS: the second byte of 本 (0x96 0x7B) is no lead byte, that of
// 日 (0x93 0xFA) is, so a walk from the wrong end would split characters.
const std::string kNihon = "\x93\xFA\x96\x7B";

TEST(TextField, EditsWholeShiftJisCharactersAndLineBreaks) {
  TextField f;
  f.type("a" + kNihon, true);
  EXPECT_EQ(f.caret(), 5u);
  f.backspace();
  EXPECT_EQ(f.text(), "a\x93\xFA");
  f.left();
  EXPECT_EQ(f.caret(), 1u);
  f.right();
  EXPECT_EQ(f.caret(), 3u);
  f.home();
  f.deleteForward();
  EXPECT_EQ(f.text(), "\x93\xFA");

  // One line keeps line breaks out; many lines step over CR LF as one.
  f.setText("");
  f.type("x\r\ny", true);
  EXPECT_EQ(f.text(), "xy");
  f.setText("");
  f.type("x\r\ny", false);
  f.left();
  f.left();
  EXPECT_EQ(f.caret(), 1u);
  f.right();
  EXPECT_EQ(f.caret(), 3u);
  f.backspace();
  EXPECT_EQ(f.text(), "xy");

  // Nothing holds more than its limit, and a cut never splits a character.
  f.setText(std::string(TextField::kLongestText - 1, 'a'));
  f.type(kNihon, true);
  EXPECT_EQ(f.text().size(), TextField::kLongestText - 1);
}

TEST(Dialogs, KeysAnswersAndPressesCloseTheBoxWithTheRightStatus) {
  Dialogs d;
  d.openInput(std::nullopt, std::nullopt, std::string("ab"));
  EXPECT_TRUE(d.key(0x56, true, "c\r\nd"));  // Ctrl+V: pasted into one line
  EXPECT_EQ(d.inputText(), "abcd");
  EXPECT_FALSE(d.key(0x41, false, ""));  // letters come as typed text
  EXPECT_TRUE(d.key(0x0D, false, ""));   // Enter is OK
  EXPECT_EQ(d.inputStatus(), 1);
  EXPECT_FALSE(d.anyOpen());

  // The close box of the centred input box (320 wide at 120, caption at 126).
  d.openInput(std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(d.inputStatus(), 0);
  EXPECT_FALSE(d.press(5, 5));  // beside it: the game's
  EXPECT_TRUE(d.press(430, 130));
  EXPECT_EQ(d.inputStatus(), 2);

  // A selection box over the text editor takes the keyboard; the editor closes.
  platform::TextRenderer text;
  d.edit({10, 10, 100, 200}, "", 12, true, text);
  EXPECT_TRUE(d.editing());
  d.openSelect("?", "", {"a", "b", "c", "d"});
  EXPECT_FALSE(d.editing());
  d.answer("ok");  // the default button, 1
  EXPECT_EQ(d.selectStatus(), 1);
  d.openSelect("?", "", {"a", "b", "null", "null"});
  EXPECT_TRUE(d.key(0x1B, false, ""));  // Escape is the cancel button, 2
  EXPECT_EQ(d.selectStatus(), 2);
}

TEST(Dialogs, AOneLineEditorIsAsHighAsItsFontAndDrawsInsideItsPlace) {
  Dialogs d;
  platform::TextRenderer text;
  d.edit({10, 20, 210, 120}, "", 12, true, text);
  d.type("hello");
  platform::Image client;
  client.width = 300;
  client.height = 200;
  client.pixels.assign(300 * 200, 0xFF000000u);
  d.draw(client, 0, 0, text, 300, 200);
  int32_t line = text.measure("", 12, {}, "").second;
  auto at = [&](int x, int y) { return client.pixels[size_t(y) * 300 + size_t(x)] & 0xFFFFFF; };
  EXPECT_EQ(at(100, 20 + line + 5), 0x707070u);  // its bottom edge
  EXPECT_EQ(at(100, 20 + line + 7), 0u);         // below it: untouched
  EXPECT_EQ(at(205, 25), 0xFFFFFFu);             // its face
  EXPECT_TRUE(d.press(15, 25));                  // a press on it keeps it open
  EXPECT_FALSE(d.press(15, 150));                // one elsewhere closes it
  EXPECT_FALSE(d.editing());
}

}  // namespace
