#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "resources/player_hosts.h"
#include "shell/page_host.h"

namespace zunka {

// Every host the frame loop and the console sink call, each call forwarded to a
// function a test may set (an unset one does nothing, or gives false or "").
struct FakeHosts final : ScreenHost, SoundHost, DebuggerHost, WindowHost, PageHost {
  std::function<void(int32_t)> onSetDoDraw;
  std::function<void()> onClearSprites;
  std::function<bool()> onHasRequest;
  std::function<void()> onProcessRequest;
  std::function<void(std::string_view)> onEvaluateSnippet;
  std::function<void()> onRenderSound;
  std::function<void()> onDrawAll;
  std::function<std::string()> onStatisticsText;
  std::function<void(std::string_view)> onShowLoadingWindow;
  std::function<void()> onPumpMessages;
  std::function<void()> onDrawActivityIndicator;
  std::function<void()> onTickLoadingWindow;

  FakeHosts() {
    hosts.setScreen(this);
    hosts.setSound(this);
    hosts.setWindows(this);
  }
  PlayerHosts hosts;

 private:
  template <class F, class... Args>
  static void call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
  }
  // ScreenHost
  void drawAll() override { call(onDrawAll); }
  void present() override {}
  void clearSprites() override { call(onClearSprites); }
  void pageLoading() override {}
  void pageStarted() override {}
  void designModeChanged(bool) override {}
  void resetPatterns() override {}
  void kernelLoaded() override {}
  void drawActivityIndicator() override { call(onDrawActivityIndicator); }
  // SoundHost
  void render() override { call(onRenderSound); }
  void stopMusic() override {}
  // DebuggerHost
  void refreshViews() override {}
  bool pause() override { return false; }
  // WindowHost
  void pumpMessages() override { call(onPumpMessages); }
  void showLoadingWindow(std::string_view caption) override { call(onShowLoadingWindow, caption); }
  void setLoadingCaption(std::string_view) override {}
  void tickLoadingWindow() override { call(onTickLoadingWindow); }
  // PageHost
  bool hasRequest() override { return onHasRequest && onHasRequest(); }
  void processRequest() override { call(onProcessRequest); }
  void setDoDraw(int32_t on) override { call(onSetDoDraw, on); }
  void evaluateSnippet(std::string_view source) override { call(onEvaluateSnippet, source); }
  std::string statisticsText() override { return onStatisticsText ? onStatisticsText() : ""; }
};

}  // namespace zunka
