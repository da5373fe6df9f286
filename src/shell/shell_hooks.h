#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace zunka {

// Where the frame loop and the console sink call into parts of the player that
// are installed later (globals, snippets, pages, the screen, sound, start-up).
// An empty hook does nothing (a hook returning a value then yields false or "").
struct ShellHooks {
  // Sets the global $_doDraw to 0 or 1 before each frame.
  std::function<void(int32_t)> setDoDraw;
  // Empties the sprite list before a frame that draws.
  std::function<void()> clearSprites;
  // Page requests: pending, and carrying out the pending one.
  std::function<bool()> hasRequest;
  std::function<void()> processRequest;
  // Evaluates a script snippet, reporting its errors (pause and resume).
  std::function<void(std::string_view)> evaluateSnippet;
  // The sound component's render step.
  std::function<void()> renderSound;
  // Redraws the whole screen from the sprite list.
  std::function<void()> drawAll;
  // The memory statistics text shown after the frame digits ("// GC=...").
  std::function<std::string()> statisticsText;
  // Shows the loading window again after an error; a non-empty text becomes its
  // caption (the source file of the class that was running).
  std::function<void(std::string_view)> showLoadingWindow;
  // Page loading and the screen: the loading state while a page loads, started
  // again afterwards, in play or design mode (the design timer runs in design
  // mode); the pattern list back to the kernel's patterns; the debug window's
  // views; the loading window's caption.
  std::function<void()> screenLoading;
  std::function<void()> screenStart;
  std::function<void(bool)> screenDesignMode;
  std::function<void()> resetPatterns;
  std::function<void()> refreshDebugViews;
  std::function<void(std::string_view)> setLoadingCaption;
  // Console keep-alive steps.
  std::function<void()> pumpMessages;
  std::function<void()> drawActivityIndicator;
  std::function<void()> tickLoadingWindow;
};

inline ShellHooks shellHooks;

template <class... Params, class... Args>
void callHook(const std::function<void(Params...)>& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace zunka
