#include "window/input_router.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/files.h"
#include "platform/program_launcher.h"
#include "platform/sjis_text.h"
#include "resources/environment_store.h"
#include "resources/paths.h"
#include "resources/player_hosts.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/user_storage.h"
#include "screen/screen_state.h"
#include "shell/shell_state.h"
#include "window/window_state.h"

namespace zunka {
namespace {

using Kind = LoggedInput::Kind;

// Virtual-key codes.
constexpr int32_t kLeftButtonKey = 1, kRightButtonKey = 2;
constexpr int32_t kEnter = 0x0D, kShift = 0x10, kControl = 0x11, kAlt = 0x12;
constexpr int32_t kF1 = 0x70, kF2 = 0x71, kF3 = 0x72, kF4 = 0x73, kF5 = 0x74, kF6 = 0x75,
                  kF7 = 0x76, kF10 = 0x79, kF12 = 0x7B;

// What the gamepad's buttons press, unless the environment store says otherwise
// (padA, padB, padX, padY, padStart, padUp, padDown, padLeft, padRight: a
// virtual-key code in decimal).
constexpr struct {
  const char* name;
  int32_t key;
} kPadDefaults[] = {{"padA", 'Z'},     {"padB", 'X'},        {"padX", 'C'},
                    {"padY", 'V'},     {"padStart", kEnter}, {"padUp", 0x26},
                    {"padDown", 0x28}, {"padLeft", 0x25},    {"padRight", 0x27}};

// The generic modifier keys follow their two sides.
void updateModifiers(std::array<bool, 256>& down) {
  down[kShift] = down[0xA0] || down[0xA1];
  down[kControl] = down[0xA2] || down[0xA3];
  down[kAlt] = down[0xA4] || down[0xA5];
}

// A new numbered screenshot beside the project (or in its user data folder), never
// overwriting one.
std::string freeScreenshotName() {
  std::string folder = ParentDir(prjManager().projectFile());
  if (folder.empty()) folder = platform::systemPath(platform::currentDirectory());
  // A game that takes no writes gets its screenshots in the user's data folder.
  folder = SavePath(folder, folder);
  if (folder.empty()) return {};
  for (int n = 1; n < 10000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "screenshot-%03d.png", n);
    std::string path = folder + "\\" + name;
    if (!platform::fileExists(path)) return path;
  }
  return {};
}

}  // namespace

InputRouter::InputRouter(HostState& host, ScreenWindow& screen, platform::HostWindow& window,
                         platform::ClockSource& clock, platform::Gamepads& gamepads,
                         Options options)
    : host_(host),
      screen_(screen),
      window_(window),
      clock_(clock),
      gamepads_(gamepads),
      options_(std::move(options)),
      mouse_(host, clock) {
  windowState().dialogs.setUnanswerable(options_.headless);
  for (size_t i = 0; i < padKeys_.size(); ++i) {
    std::string configured = environmentStore().GetEnv(kPadDefaults[i].name);
    int32_t key = kPadDefaults[i].key;
    if (!configured.empty()) key = std::clamp(std::atoi(configured.c_str()), 0, 255);
    padKeys_[i] = key;
  }
}

bool InputRouter::record(const std::string& hostFile, std::string& error) {
  writer_ = InputLogWriter::create(hostFile);
  if (!writer_) error = "cannot write the input log " + hostFile;
  return writer_ != nullptr;
}

bool InputRouter::replay(const std::string& hostFile, std::string& error) {
  std::string bytes;
  if (!platform::readFile(platform::systemPath(hostFile), bytes)) {
    error = "cannot read the input log " + hostFile;
    return false;
  }
  std::string why;
  std::optional<std::vector<LoggedInput>> inputs = parseInputLog(bytes, why);
  if (!inputs) {
    error = hostFile + ": " + why;
    return false;
  }
  script_ = std::move(*inputs);
  next_ = 0;
  replaying_ = true;
  windowState().dialogs.setUnanswerable(false);
  return true;
}

bool InputRouter::isActive() const {
  return replaying_ ? active_ : window_.isActive();
}

void InputRouter::deliverDue() {
  if (windowState().dialogs.anyOpen() != takingText_ && !replaying_) followDialogs();
  if (!replaying_) {
    if (joystickUsed_)
      for (size_t i = 0; i < joysticks_.size(); ++i) sampleJoystick(i);
    return;
  }
  if (delivering_) return;
  delivering_ = true;
  // The frame loop runs no further than the frame the next input is due before,
  // also when an input itself runs frames (a drag does).
  auto limitFrames = [&] {
    int64_t room = next_ < script_.size() ? script_[next_].frame - host_.frameCount : INT32_MAX;
    host_.framesBeforeInput = int32_t(std::clamp<int64_t>(room, 0, INT32_MAX));
  };
  // Inputs of frames already passed are late, not lost: they go now, in order.
  while (next_ < script_.size() && script_[next_].frame <= host_.frameCount && !host_.closing) {
    LoggedInput input = script_[next_++];
    limitFrames();
    if (input.kind == Kind::Joystick) {
      joysticks_[size_t(input.vk)] =
          input.down ? std::optional<platform::JoyReading>(input.joystick) : std::nullopt;
      continue;
    }
    bool running = host_.checkExec;
    apply(input);
    // A pause or resume takes effect before anything after it: the frame loop
    // sees the paused game once, as it did when the log was recorded.
    if (host_.checkExec != running) break;
  }
  limitFrames();
  delivering_ = false;
}

void InputRouter::deliver(const platform::InputEvent& event) {
  using EventKind = platform::InputEvent::Kind;
  switch (event.kind) {
    case EventKind::Close:
      if (options_.close) options_.close();
      return;
    case EventKind::Resized:
      screen_.userResized();
      return;
    case EventKind::Moved:
      screen_.moved(event.x, event.y);
      return;
    case EventKind::Exposed:
      if (host_.booted) screen_.paint();
      return;
    default:
      // A replayed session takes nothing from the devices.
      if (!replaying_) userEvent(event);
      return;
  }
}

void InputRouter::userEvent(const platform::InputEvent& event) {
  using EventKind = platform::InputEvent::Kind;
  LoggedInput in;
  in.frame = host_.frameCount;
  // Mouse positions reach the game in game-area pixels.
  in.x = event.x - screen_.offsetX();
  in.y = event.y - screen_.offsetY();
  in.right = event.right;
  in.down = event.down;
  switch (event.kind) {
    case EventKind::Key:
      in.kind = Kind::Key;
      in.vk = event.vk;
      break;
    case EventKind::PadButton:
      if (event.vk < 0 || size_t(event.vk) >= padKeys_.size()) return;
      in.kind = Kind::Key;
      in.vk = padKeys_[size_t(event.vk)];
      break;
    case EventKind::MouseMove:
      in.kind = Kind::MouseMove;
      break;
    case EventKind::MouseDown:
      in.kind = Kind::MouseDown;
      break;
    case EventKind::MouseUp:
      in.kind = Kind::MouseUp;
      break;
    case EventKind::Focus:
      in.kind = Kind::Focus;
      break;
    case EventKind::Text:
      if (!windowState().dialogs.anyOpen()) return;  // typed text is a dialog's
      in.kind = Kind::Text;
      in.text = event.text;
      break;
    case EventKind::Composing:
      // Shown while composed, not an input yet: the typed text is.
      windowState().dialogs.compose(platform::utf8ToSjis(event.text));
      screen_.present();
      return;
    default:
      return;
  }
  // Pasting reads the desktop's clipboard: what it gave goes in as typed text,
  // so that a replay types the same.
  if (in.kind == Kind::Key && in.down && in.vk == 'V' && shellState().keyboard.down[kControl] &&
      windowState().dialogs.anyOpen()) {
    apply(in);
    LoggedInput pasted;
    pasted.kind = Kind::Text;
    pasted.text = window_.clipboardText();
    if (!pasted.text.empty()) apply(pasted);
    return;
  }
  apply(in);
}

void InputRouter::note(const LoggedInput& input) {
  if (writer_) writer_->write(input);
}

void InputRouter::apply(const LoggedInput& input) {
  LoggedInput stamped = input;
  stamped.frame = host_.frameCount;
  note(stamped);
  if (input.kind == Kind::MouseMove || input.kind == Kind::MouseDown || input.kind == Kind::MouseUp)
    mouseX_ = input.x, mouseY_ = input.y;
  if (dialogKey(input)) return followDialogs();
  switch (input.kind) {
    case Kind::Key: {
      bool wasDown = shellState().keyboard.down[size_t(input.vk)];
      setKey(input.vk, input.down);
      if (input.down && !wasDown && !host_.booting) shortcut(input.vk);
      return;
    }
    case Kind::MouseMove:
      mouse_.move(input.x, input.y);
      return;
    case Kind::MouseDown:
      setKey(input.right ? kRightButtonKey : kLeftButtonKey, true);
      mouse_.down(input.x, input.y, input.right);
      return;
    case Kind::MouseUp:
      setKey(input.right ? kRightButtonKey : kLeftButtonKey, false);
      mouse_.up(input.x, input.y, input.right);
      return;
    case Kind::Focus:
      active_ = input.down;
      host_.applicationActive = input.down;
      if (!input.down) windowState().dialogs.windowDeactivated();
      return followDialogs();
    case Kind::Text:
    case Kind::Answer:
    case Kind::Joystick:
      return;
  }
}

// The open dialog with the keyboard takes typed text, answers, editing keys (which
// still reach getkey, as every key does) and presses that fall on a dialog.
bool InputRouter::dialogKey(const LoggedInput& input) {
  Dialogs& dialogs = windowState().dialogs;
  switch (input.kind) {
    case Kind::Text:
      dialogs.type(platform::utf8ToSjis(input.text));
      return true;
    case Kind::Answer:
      dialogs.answer(input.text);
      return true;
    case Kind::Key:
      if (!input.down || !dialogs.anyOpen()) return false;
      setKey(input.vk, true);
      // Pasted text arrives as typed text of its own (see userEvent).
      if (dialogs.key(input.vk, shellState().keyboard.down[kControl], "")) return true;
      setKey(input.vk, false);  // not the dialog's: the key goes its usual way
      return false;
    case Kind::MouseDown:
      pressOnDialog_ = dialogs.press(input.x, input.y);
      if (pressOnDialog_) setKey(input.right ? kRightButtonKey : kLeftButtonKey, true);
      return pressOnDialog_;
    case Kind::MouseUp:
      if (!pressOnDialog_) return false;
      pressOnDialog_ = false;
      setKey(input.right ? kRightButtonKey : kLeftButtonKey, false);
      return true;
    default:
      return false;
  }
}

// Typed text is asked of the window while a dialog is open; what changed shows
// at once, also while the game is paused.
void InputRouter::followDialogs() {
  bool open = windowState().dialogs.anyOpen();
  if (open != takingText_ && !replaying_) {
    takingText_ = open;
    window_.takeTextInput(open);
  }
  screen_.present();
}

void InputRouter::setKey(int32_t vk, bool down) {
  if (vk < 0 || vk > 255) return;
  std::array<bool, 256>& keys = shellState().keyboard.down;
  keys[size_t(vk)] = down;
  updateModifiers(keys);
}

// The window's commands. The key also reaches the game, as any key does.
void InputRouter::shortcut(int32_t vk) {
  const std::array<bool, 256>& keys = shellState().keyboard.down;
  bool alt = keys[kAlt], control = keys[kControl];
  ProjectState& project = projectState();
  switch (vk) {
    case kF1: {
      const std::string& help = project.helpFile;
      if (help.find("http://") != std::string::npos || help.find("https://") != std::string::npos)
        platform::openAddress(platform::sjisToUtf8(help.substr(help.find("http"))));
      return;
    }
    case kF2:
      screen_.toggleInformation();
      screen_.present();
      return;
    case kF3:
      if (project.pauseDisabled || project.designMode) return;
      host_.checkExec = !host_.checkExec;
      return;
    case kF4:
      window_.setScale(window_.scale() % 4 + 1);
      return;
    case kF5:
      host_.soundEnabled = !host_.soundEnabled;
      if (!host_.soundEnabled) playerHosts().sound().stopMusic();
      return;
    case kF6:
      screen_.setStatusBarVisible(!screen_.statusBarVisible());
      screen_.present();
      return;
    case kF7:
      screen_.setDrawMode(int32_t(screen_.drawMode()) % 3 + 1);
      return;
    case kF10:
      if (control && options_.showDebugger) options_.showDebugger();
      return;
    case kF12: {
      std::string file = freeScreenshotName();
      std::string png = platform::encodePng(screen_.gamePicture());
      if (!file.empty() && !png.empty() && platform::writeFile(file, png))
        std::fprintf(stderr, "zunka: screenshot %s\n", platform::hostPath(file).c_str());
      return;
    }
    case kEnter:
      if (alt && !options_.headless) window_.setFullScreen(!window_.fullScreen());
      return;
    default:
      return;
  }
}

// Joysticks are read once per batch of frames, before it runs, so that a replay can
// give every poll of a frame the reading it had when recorded.
void InputRouter::sampleJoystick(size_t i) {
  platform::JoyReading now;
  bool ok = gamepads_.read(int(i), now);
  std::optional<platform::JoyReading> seen = ok ? std::optional(now) : std::nullopt;
  // Recorded when it changes, so a log holds only what a replay needs.
  if (joystickSampled_[i] && seen == joysticks_[i]) return;
  joystickSampled_[i] = true;
  joysticks_[i] = seen;
  LoggedInput in;
  in.kind = Kind::Joystick;
  in.frame = host_.frameCount;
  in.vk = int32_t(i);
  in.down = ok;
  in.joystick = now;
  note(in);
}

bool InputRouter::readJoystick(int index, platform::JoyReading& reading) {
  size_t i = size_t(index & 1);
  joystickUsed_ = true;
  if (!replaying_ && !joystickSampled_[i]) sampleJoystick(i);
  if (!joysticks_[i]) return false;
  reading = *joysticks_[i];
  return true;
}

}  // namespace zunka
