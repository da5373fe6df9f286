#include "debugger/debug_window.h"

#include <charconv>

#include "debug/time_analyzer.h"
#include "debugger/console_eval.h"
#include "debugger/debug_script.h"
#include "debugger/process_views.h"
#include "debugger/tool_views.h"
#include "platform/sjis_text.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"

namespace zunka::debugger {

namespace {

constexpr uint32_t kStatusMilliseconds = 250;
// While stopped the window waits this long between looks at the message queue.
constexpr uint32_t kStoppedWaitMilliseconds = 10;
constexpr int32_t kWheelRows = 3;

// Virtual-key codes.
constexpr int32_t kEnter = 0x0D, kEscape = 0x1B, kPageUp = 0x21, kPageDown = 0x22, kF5 = 0x74,
                  kF10 = 0x79, kF11 = 0x7A;

constexpr const char* kTitle = "デバッグ";

}  // namespace

DebugWindow::DebugWindow(Debugger& debugger, std::unique_ptr<platform::ToolWindow> window,
                         platform::MessagePump& pump, platform::ClockSource& clock)
    : debugger_(debugger),
      window_(std::move(window)),
      pump_(pump),
      clock_(clock),
      buttons_{{Control::Step, {"ステップ実行", {}}},
               {Control::Run, {"実行", {}}},
               {Control::RunTo, {"まで実行", {}}},
               {Control::Stop, {"停止", {}}},
               {Control::Refresh, {"更新", {}}},
               {Control::SetBreak, {"設定", {}}},
               {Control::ClearBreak, {"解除", {}}},
               {Control::ShowCode, {"表示", {}}},
               {Control::Gc, {"GC", {}}},
               {Control::TimeStart, {"Start", {}}},
               {Control::TimeStop, {"Stop", {}}},
               {Control::EvalCache, {"EvalCache", {}}},
               {Control::Evaluate, {"評価", {}}}},
      autoRun_{"自動実行", {}, false},
      views_{ListView("機械語"), ListView("ソース"), ListView("スタック"),
             ListView("変数"),   ListView("出力"),   ListView("リソース")},
      edits_{LineEdit{"アドレス", {}, {}, false}, LineEdit{"ブレーク", {}, {}, false},
             LineEdit{"クラス", {}, {}, false}, LineEdit{"関数", {}, {}, false},
             LineEdit{"評価", {}, {}, false}} {
  edit(Edit::Address).field.setText("$0000ffff");
  edit(Edit::Class).field.setText("Boot");
  scale_ = window_->pixelScale();
  Painter::metrics(text_, scale_, lineHeight_, columnWidth_);
  window_->setTitle(kTitle);
  window_->setInputSink(this);
}

DebugWindow::~DebugWindow() {
  window_->setInputSink(nullptr);
}

void DebugWindow::show() {
  refreshViews();
  window_->show();
  redraw();
}

void DebugWindow::tick() {
  uint32_t now = clock_.tickCount();
  if (!window_->visible() || now - lastStatus_ < kStatusMilliseconds) return;
  lastStatus_ = now;
  redraw();
}

// --- The pause ---

void DebugWindow::stopped() {
  window_->setTitle(debugger_.caption() + " - " + kTitle);
  show();
}

void DebugWindow::waitWhileStopped() {
  pump_.pumpMessages();
  if (dirty_) redraw();
  clock_.sleep(kStoppedWaitMilliseconds);
}

void DebugWindow::resumed() {
  window_->setTitle(kTitle);
  if (window_->visible()) redraw();
}

// --- Views ---

void DebugWindow::refreshViews() {
  vm::TProcess* p = debugger_.process();
  view(View::Code).setTitle("機械語");
  if (p) {
    CodeListing listing = currentListing(*p);
    view(View::Code).setLines(std::move(listing.lines));
    view(View::Code).setMarked(listing.marked);
    view(View::Stack).setLines(stackLines(*p));
    view(View::Variables).setLines(variableLines(*p));
  } else {
    for (View v : {View::Code, View::Stack, View::Variables}) view(v).setLines({});
  }
  showSource();
  if (treeStale_) view(View::Tree).setLines(treePaths());
  treeStale_ = false;
  autoRun_.checked = debugger_.host().checkExec;
  dirty_ = true;
}

// The whole source file of the next instruction, its line marked and the lines
// with breakpoints flagged.
void DebugWindow::showSource() {
  std::optional<SourcePlace> place = debugger_.place();
  ListView& source = view(View::Source);
  if (!place) {
    source.setLines({});
    source.setTitle("ソース");
    sourcePath_.clear();
    return;
  }
  sourcePath_ = place->path;
  std::string file(fileNameOf(place->path));
  std::vector<std::string> lines;
  if (const SourceText* text = debugger_.sources().get(place->path)) {
    for (int n = 1; n <= text->lineCount(); ++n) {
      bool flagged = false;
      for (const LineBreakpoint& b : debugger_.breakpoints())
        flagged |= b.resolvedLine == n && pathNames(place->path, b.file);
      std::string number = std::to_string(n);
      lines.push_back((flagged ? "●" : "  ") +
                      std::string(5 - std::min<size_t>(number.size(), 5), ' ') + number + "  " +
                      std::string(text->line(n)));
    }
  }
  source.setTitle("ソース " + file);
  source.setLines(std::move(lines));
  source.setMarked(place->line - 1);
}

void DebugWindow::say(std::vector<std::string> lines, const std::string& title) {
  view(View::Output).setTitle(title);
  view(View::Output).setLines(std::move(lines));
  dirty_ = true;
}

// --- Commands ---

void DebugWindow::command(Control control) {
  switch (control) {
    case Control::Step:
      debugger_.step();
      break;
    case Control::Run:
      debugger_.run();
      break;
    case Control::RunTo:
      if (std::optional<vm::Ref> address = parseAddress(editText(Edit::Address)))
        debugger_.runTo(*address);
      else
        say({"アドレスは$と16進数か、10進数で書いてください"}, "出力");
      break;
    case Control::Stop:
      debugger_.stop();
      break;
    case Control::AutoRun:
      debugger_.host().checkExec = !debugger_.host().checkExec;
      autoRun_.checked = debugger_.host().checkExec;
      break;
    case Control::Refresh:
      treeStale_ = true;
      refreshViews();
      break;
    case Control::SetBreak:
    case Control::ClearBreak:
      setBreakpoint(control == Control::ClearBreak);
      break;
    case Control::ShowCode:
      showCode();
      break;
    case Control::Gc:
      say(collectGarbage(), "GC");
      break;
    case Control::TimeStart:
      timeAnalyzer().Reset();
      say({"測定中"}, "測定結果");
      break;
    case Control::TimeStop:
      timeAnalyzer().Stop();
      say(timeTableLines(TTimeAnalyzer::Order::ByNumber), "測定結果");
      break;
    case Control::EvalCache:
      say(snippetCacheLines(), "EvalCache");
      break;
    case Control::Evaluate:
      evaluate();
      break;
  }
  dirty_ = true;
}

void DebugWindow::setBreakpoint(bool remove) {
  const std::string& where = editText(Edit::Breakpoint);
  size_t colon = where.rfind(':');
  int line = 0;
  if (colon != std::string::npos)
    std::from_chars(where.data() + colon + 1, where.data() + where.size(), line);
  if (colon == std::string::npos || line <= 0) {
    say({"ブレークポイントは ファイル名:行番号 で書いてください"}, "出力");
    return;
  }
  std::string file = where.substr(0, colon);
  if (remove)
    debugger_.removeBreakpoint(file, line);
  else
    debugger_.addBreakpoint(file, line);
  std::vector<std::string> lines;
  for (const LineBreakpoint& b : debugger_.breakpoints())
    lines.push_back(b.file + ":" + std::to_string(b.line) +
                    (b.resolvedLine ? " -> " + std::to_string(b.resolvedLine) + " (" +
                                          std::to_string(b.addresses.size()) + "箇所)"
                                    : " (まだコードがありません)"));
  say(std::move(lines), "ブレークポイント");
  showSource();
}

// A method's code in the code view and its symbols in the output (nothing when
// no class has that name).
void DebugWindow::showCode() {
  std::string cls = editText(Edit::Class), method = editText(Edit::Method);
  std::optional<ClassCode> code = classCode(cls, method);
  if (!code) return;
  view(View::Code).setTitle("機械語 " + cls + (method.empty() ? "" : "." + method));
  view(View::Code).setLines(std::move(code->listing.lines));
  view(View::Code).setMarked(-1);
  say(std::move(code->symbols), "シンボル情報");
}

void DebugWindow::evaluate() {
  std::string line = editText(Edit::Console);
  if (line.empty()) return;
  vm::TProcess* p = debugger_.process();
  bool frame = p && !p->released && p->hasFrame();
  vm::TValue self = frame ? *p->thisValue() : vm::TValue{};
  Evaluation e = evaluateLine(line, self, frame ? frameValues(*p) : FrameValues{});
  std::vector<std::string> lines = view(View::Output).lines();
  lines.push_back("> " + line);
  lines.push_back(e.ok ? "= " + (e.text.empty() ? std::string("(実行しました)") : e.text)
                       : "! " + e.text);
  say(std::move(lines), "評価");
  view(View::Output).scroll(int32_t(view(View::Output).lines().size()));
  edit(Edit::Console).field.setText("");
  // What the line changed shows at once.
  if (p) refreshViews();
}

// --- Input ---

void DebugWindow::deliver(const platform::InputEvent& event) {
  using Kind = platform::InputEvent::Kind;
  switch (event.kind) {
    case Kind::Close:
      window_->hide();
      // Nobody can press a button any more: the game goes on.
      if (debugger_.isStopped()) debugger_.run();
      return;
    case Kind::Resized:
    case Kind::Exposed:
      dirty_ = true;
      break;
    case Kind::MouseMove:
      mouseX_ = event.x, mouseY_ = event.y;
      return;
    case Kind::MouseDown:
      if (!event.right) press(event.x, event.y);
      break;
    case Kind::Wheel:
      for (ListView& v : views_)
        if (inside(v.box(), mouseX_, mouseY_)) v.scroll(-event.y * kWheelRows);
      dirty_ = true;
      break;
    case Kind::Key:
      if (event.down) keyDown(event);
      break;
    case Kind::Text:
      if (std::optional<Edit> e = focused()) {
        edit(*e).field.type(platform::utf8ToSjis(event.text), true);
        dirty_ = true;
      }
      break;
    case Kind::Composing:
      if (std::optional<Edit> e = focused()) {
        edit(*e).field.setComposing(platform::utf8ToSjis(event.text));
        dirty_ = true;
      }
      break;
    default:
      return;
  }
  // While the game runs the window is redrawn here; while it is stopped the wait
  // loop redraws.
  if (dirty_ && !debugger_.isStopped()) redraw();
}

void DebugWindow::press(int32_t x, int32_t y) {
  for (const ControlButton& b : buttons_)
    if (inside(b.button.box, x, y)) {
      focus(std::nullopt);
      return command(b.control);
    }
  if (inside(autoRun_.box, x, y)) return command(Control::AutoRun);
  for (size_t e = 0; e < edits_.size(); ++e)
    if (inside(edits_[e].box, x, y)) return focus(Edit(e));
  focus(std::nullopt);
  for (size_t v = 0; v < views_.size(); ++v) {
    int32_t line = views_[v].press(x, y);
    if (line >= 0) pressView(View(v), line);
  }
}

// A listing line gives its address to run to; a source line its place for a
// breakpoint; a class in the tree its name for the code view.
void DebugWindow::pressView(View v, int32_t line) {
  const std::string& text = view(v).lines()[size_t(line)];
  if (v == View::Code && text.size() > 8 && text[8] == ':') {
    edit(Edit::Address).field.setText("$" + text.substr(0, 8));
  } else if (v == View::Source && !sourcePath_.empty()) {
    edit(Edit::Breakpoint)
        .field.setText(std::string(fileNameOf(sourcePath_)) + ":" + std::to_string(line + 1));
  } else if (v == View::Tree) {
    TResourceList* root = resourceTree().root;
    if (root && text != "<root>" && dynamic_cast<TRTTI*>(root->Find(text)))
      edit(Edit::Class).field.setText(text);
  }
  dirty_ = true;
}

void DebugWindow::keyDown(const platform::InputEvent& event) {
  dirty_ = true;
  if (std::optional<Edit> e = focused()) {
    if (event.vk == kEscape) return focus(std::nullopt);
    if (event.vk == kEnter) {
      switch (*e) {
        case Edit::Address:
          return command(Control::RunTo);
        case Edit::Breakpoint:
          return command(Control::SetBreak);
        case Edit::Class:
        case Edit::Method:
          return command(Control::ShowCode);
        case Edit::Console:
          return command(Control::Evaluate);
      }
    }
    std::string clipboard = event.ctrl ? platform::utf8ToSjis(window_->clipboardText()) : "";
    if (edit(*e).key(event.vk, event.ctrl, clipboard)) return;
  }
  switch (event.vk) {
    case kF5:
      return command(event.shift ? Control::Stop : Control::Run);
    case kF10:
    case kF11:
      return command(Control::Step);
    case kPageUp:
    case kPageDown:
      view(View::Code).scroll((event.vk == kPageUp ? -1 : 1) * view(View::Code).visibleRows());
      return;
    default:
      return;
  }
}

std::optional<DebugWindow::Edit> DebugWindow::focused() const {
  for (size_t e = 0; e < edits_.size(); ++e)
    if (edits_[e].focused) return Edit(e);
  return std::nullopt;
}

void DebugWindow::focus(std::optional<Edit> e) {
  for (size_t i = 0; i < edits_.size(); ++i) edits_[i].focused = e && size_t(*e) == i;
  window_->takeTextInput(e.has_value());
  dirty_ = true;
}

raster::Rect DebugWindow::boxOf(Control control) const {
  if (control == Control::AutoRun) return autoRun_.box;
  for (const ControlButton& b : buttons_)
    if (b.control == control) return b.button.box;
  return {};
}

}  // namespace zunka::debugger
