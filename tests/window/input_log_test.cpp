#include <gtest/gtest.h>

#include <string>

#include "window/input_log.h"

using namespace zunka;

namespace {

TEST(InputLog, EveryKindOfInputReadsBackFromItsLine) {
  const char* text =
      "zunka-input 1\r\n"
      "# a comment, and a blank line\n"
      "\n"
      "0 key 37 down\n"
      "2 key 37 up\n"
      "2 mouse 10 -3 move\n"
      "3 mouse 8 6 down left\n"
      "3 mouse 8 6 up right\n"
      "4 focus out\n"
      "5 focus in\n"
      "6 text ABC  def\n"
      "7 answer cancel\n"
      "8 joy 1 20000 65535 5\n"
      "9 joy 0 none\n";
  std::string error;
  auto inputs = parseInputLog(text, error);
  ASSERT_TRUE(inputs) << error;
  ASSERT_EQ(inputs->size(), 11u);
  EXPECT_EQ((*inputs)[2].kind, LoggedInput::Kind::MouseMove);
  EXPECT_EQ((*inputs)[2].y, -3);
  EXPECT_TRUE((*inputs)[4].right);
  EXPECT_EQ((*inputs)[7].text, "ABC  def");  // spaces inside typed text are kept
  EXPECT_EQ((*inputs)[9].joystick, (platform::JoyReading{20000, 65535, 5}));
  EXPECT_FALSE((*inputs)[10].down);
  // Each line written again reads back as the same input.
  std::string again = "zunka-input 1\n";
  for (const LoggedInput& in : *inputs) again += formatLoggedInput(in) + "\n";
  auto reread = parseInputLog(again, error);
  ASSERT_TRUE(reread) << error;
  EXPECT_EQ(*reread, *inputs);
}

TEST(InputLog, ALineItCannotReadIsNamedAndNothingIsPlayed) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 1: an input log starts with \"zunka-input 1\""},
      {"zunka-input 2\n", "line 1: an input log starts with \"zunka-input 1\""},
      {"zunka-input 1\n5 key 37 down\n4 key 37 up\n", "line 3: frames must not go backwards"},
      {"zunka-input 1\n1 key 256 down\n",
       "line 2: a key event is \"FRAME key VK down|up\" with VK from 0 to 255"},
      {"zunka-input 1\n1 key 37 pressed\n", "line 2: a key goes down or up"},
      {"zunka-input 1\n1 mouse 1 2 down middle\n",
       "line 2: a mouse event ends in move, or in down or up and the button (left or right)"},
      {"zunka-input 1\nx key 1 up\n", "line 2: a line starts with a frame number and an event"},
      {"zunka-input 1\n-1 key 1 up\n", "line 2: a line starts with a frame number and an event"},
      {"zunka-input 1\n1 wheel 3\n", "line 2: unknown event \"wheel\""},
      {"zunka-input 1\n1 answer yes\n",
       "line 2: an answer is ok, cancel, close or a button number from 1 to 4"},
      {"zunka-input 1\n1 joy 2 none\n",
       "line 2: a joystick reading is \"FRAME joy 0|1 X Y BUTTONS\" or \"FRAME joy 0|1 none\""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(parseInputLog(c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
