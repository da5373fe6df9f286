#include "window/input_log.h"

#include <charconv>

namespace zunka {
namespace {

using Kind = LoggedInput::Kind;

std::string_view button(bool right) {
  return right ? "right" : "left";
}

// The words of a line, split at spaces and tabs.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

template <class T>
bool number(std::string_view word, T& value) {
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && end == word.data() + word.size();
}

// Reads the words after FRAME; an empty result means the line is fine.
std::string readEvent(const std::vector<std::string_view>& w, LoggedInput& in) {
  std::string_view kind = w[1];
  if (kind == "key") {
    in.kind = Kind::Key;
    if (w.size() != 4 || !number(w[2], in.vk) || in.vk < 0 || in.vk > 255)
      return "a key event is \"FRAME key VK down|up\" with VK from 0 to 255";
    if (w[3] != "down" && w[3] != "up") return "a key goes down or up";
    in.down = w[3] == "down";
    return {};
  }
  if (kind == "mouse") {
    if (w.size() < 5 || !number(w[2], in.x) || !number(w[3], in.y))
      return "a mouse event is \"FRAME mouse X Y move|down|up [left|right]\"";
    if (w[4] == "move" && w.size() == 5) {
      in.kind = Kind::MouseMove;
      return {};
    }
    if ((w[4] == "down" || w[4] == "up") && w.size() == 6 && (w[5] == "left" || w[5] == "right")) {
      in.kind = w[4] == "down" ? Kind::MouseDown : Kind::MouseUp;
      in.right = w[5] == "right";
      return {};
    }
    return "a mouse event ends in move, or in down or up and the button (left or right)";
  }
  if (kind == "focus") {
    in.kind = Kind::Focus;
    if (w.size() != 3 || (w[2] != "in" && w[2] != "out")) return "focus is \"in\" or \"out\"";
    in.down = w[2] == "in";
    return {};
  }
  if (kind == "answer") {
    in.kind = Kind::Answer;
    static constexpr std::string_view kAnswers[] = {"ok", "cancel", "close", "1", "2", "3", "4"};
    if (w.size() == 3)
      for (std::string_view a : kAnswers)
        if (w[2] == a) return in.text = std::string(a), std::string();
    return "an answer is ok, cancel, close or a button number from 1 to 4";
  }
  if (kind == "joy") {
    in.kind = Kind::Joystick;
    if (w.size() >= 3 && number(w[2], in.vk) && (in.vk == 0 || in.vk == 1)) {
      if (w.size() == 4 && w[3] == "none") return {};
      if (w.size() == 6 && number(w[3], in.joystick.x) && number(w[4], in.joystick.y) &&
          number(w[5], in.joystick.buttons)) {
        in.down = true;
        return {};
      }
    }
    return "a joystick reading is \"FRAME joy 0|1 X Y BUTTONS\" or \"FRAME joy 0|1 none\"";
  }
  return "unknown event \"" + std::string(kind) + "\"";
}

}  // namespace

std::string formatLoggedInput(const LoggedInput& in) {
  std::string line = std::to_string(in.frame) + " ";
  switch (in.kind) {
    case Kind::Key:
      return line + "key " + std::to_string(in.vk) + (in.down ? " down" : " up");
    case Kind::MouseMove:
      return line + "mouse " + std::to_string(in.x) + " " + std::to_string(in.y) + " move";
    case Kind::MouseDown:
    case Kind::MouseUp:
      return line + "mouse " + std::to_string(in.x) + " " + std::to_string(in.y) +
             (in.kind == Kind::MouseDown ? " down " : " up ") + std::string(button(in.right));
    case Kind::Focus:
      return line + (in.down ? "focus in" : "focus out");
    case Kind::Text:
      return line + "text " + in.text;
    case Kind::Answer:
      return line + "answer " + in.text;
    case Kind::Joystick:
      if (!in.down) return line + "joy " + std::to_string(in.vk) + " none";
      return line + "joy " + std::to_string(in.vk) + " " + std::to_string(in.joystick.x) + " " +
             std::to_string(in.joystick.y) + " " + std::to_string(in.joystick.buttons);
  }
  return line;
}

std::optional<std::vector<LoggedInput>> parseInputLog(std::string_view text, std::string& error) {
  std::vector<LoggedInput> inputs;
  bool headerSeen = false;
  int64_t lineNumber = 0;
  int64_t lastFrame = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return std::nullopt;
    };
    if (!headerSeen) {
      if (line != kInputLogHeader)
        return fail("an input log starts with \"" + std::string(kInputLogHeader) + "\"");
      headerSeen = true;
      continue;
    }
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::vector<std::string_view> w = words(line);
    LoggedInput in;
    if (w.size() < 2 || !number(w[0], in.frame) || in.frame < 0)
      return fail("a line starts with a frame number and an event");
    if (in.frame < lastFrame) return fail("frames must not go backwards");
    lastFrame = in.frame;
    if (w[1] == "text") {
      // The text is everything after the word, spaces included.
      in.kind = Kind::Text;
      size_t at = line.find("text") + 4;
      in.text = std::string(line.substr(std::min(at + 1, line.size())));
    } else if (std::string why = readEvent(w, in); !why.empty()) {
      return fail(why);
    }
    inputs.push_back(std::move(in));
  }
  if (!headerSeen) {
    error = "line 1: an input log starts with \"" + std::string(kInputLogHeader) + "\"";
    return std::nullopt;
  }
  return inputs;
}

std::unique_ptr<InputLogWriter> InputLogWriter::create(const std::string& hostFile) {
  auto out = platform::StreamOutput::createFile(hostFile);
  if (!out) return nullptr;
  out->writeLine(kInputLogHeader);
  return std::unique_ptr<InputLogWriter>(new InputLogWriter(std::move(out)));
}

void InputLogWriter::write(const LoggedInput& input) {
  out_->writeLine(formatLoggedInput(input));
}

}  // namespace zunka
