#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "debugger/debugger.h"
#include "debugger/widgets.h"
#include "platform/clock_source.h"
#include "platform/message_pump.h"
#include "platform/text_renderer.h"
#include "platform/tool_window.h"

namespace zunka::debugger {

// The debug window: a second window beside the game's, drawn with the player's
// own controls and text renderer. The toolbar steps, runs, runs to the address in
// its box and stops; the code being run is listed beside its source, its stack
// and its variables; below, a method's code and symbols, the collector, the time
// analyser and the snippet cache show in one output list beside the resource
// tree; the bottom rows set breakpoints on source lines and evaluate a line of
// script for the stopped object.
//
// It comes up when the game stops, on Ctrl+F10 and with --debug. While the game
// is stopped it runs the message pump itself (the pause routine waits inside the
// interpreter); closing it then lets the game run on.
class DebugWindow final : public FrontEnd, public platform::InputSink {
 public:
  enum class Control {
    Step,
    Run,
    RunTo,
    Stop,
    AutoRun,
    Refresh,
    SetBreak,
    ClearBreak,
    ShowCode,
    Gc,
    TimeStart,
    TimeStop,
    EvalCache,
    Evaluate,
  };
  enum class View { Code, Source, Stack, Variables, Output, Tree };
  enum class Edit { Address, Breakpoint, Class, Method, Console };

  // The size to ask the platform for (it keeps the window inside the display).
  static constexpr int32_t kPreferredWidth = 1280, kPreferredHeight = 800;

  DebugWindow(Debugger& debugger, std::unique_ptr<platform::ToolWindow> window,
              platform::MessagePump& pump, platform::ClockSource& clock);
  ~DebugWindow() override;
  DebugWindow(const DebugWindow&) = delete;
  DebugWindow& operator=(const DebugWindow&) = delete;

  // Brings the window up with fresh views (Ctrl+F10, --debug).
  void show();
  // From the player's idle loop: keeps the status line current while shown.
  void tick();

  // FrontEnd
  void stopped() override;
  void waitWhileStopped() override;
  void resumed() override;
  void viewsStale() override { treeStale_ = true; }

  // What the user does in the window.
  void deliver(const platform::InputEvent& event) override;

  // For tests: the picture last shown and where things are.
  const platform::Image& picture() const { return picture_; }
  raster::Rect boxOf(Control control) const;
  const ListView& shown(View v) const { return views_[size_t(v)]; }
  const std::string& editText(Edit e) const { return edits_[size_t(e)].field.text(); }
  raster::Rect boxOf(Edit e) const { return edits_[size_t(e)].box; }

 private:
  struct ControlButton {
    Control control;
    Button button;
  };
  ListView& view(View v) { return views_[size_t(v)]; }
  LineEdit& edit(Edit e) { return edits_[size_t(e)]; }

  // Layout and drawing (debug_window_layout.cpp).
  void layout();
  void redraw();
  void drawStatus(Painter& p);

  // Views and commands.
  void refreshViews();
  void showSource();
  void command(Control control);
  void setBreakpoint(bool remove);
  void showCode();
  void evaluate();
  void say(std::vector<std::string> lines, const std::string& title);

  // Input.
  void press(int32_t x, int32_t y);
  void pressView(View v, int32_t line);
  void keyDown(const platform::InputEvent& event);
  void focus(std::optional<Edit> e);
  std::optional<Edit> focused() const;

  Debugger& debugger_;
  std::unique_ptr<platform::ToolWindow> window_;
  platform::MessagePump& pump_;
  platform::ClockSource& clock_;
  platform::TextRenderer text_;
  platform::Image picture_;
  int32_t scale_ = 1;
  int32_t lineHeight_ = 16;
  int32_t columnWidth_ = 8;

  std::vector<ControlButton> buttons_;
  CheckBox autoRun_;
  std::array<ListView, 6> views_;
  std::array<LineEdit, 5> edits_;
  raster::Rect statusBox_;
  std::string sourcePath_;  // the file the source view shows
  bool treeStale_ = true;
  bool dirty_ = false;
  int32_t mouseX_ = 0, mouseY_ = 0;
  uint32_t lastStatus_ = 0;
};

}  // namespace zunka::debugger
