#pragma once
// A screen window on a headless window, with the globals the kernel defines, and
// calls of the window layer's natives as the interpreter makes them.
#include <string>

#include "platform/headless_window.h"
#include "platform/virtual_clock.h"
#include "resources/resources_state.h"
#include "support/native_call.h"
#include "tree_fixture.h"
#include "window/input_router.h"
#include "window/screen_window.h"
#include "window/window_state.h"

namespace zunka::testing {

inline vm::NativeHandler windowNative(const std::string& classPath, std::string_view name) {
  for (const auto& [path, table] : resourcesState().nativeTables)
    if (path == classPath)
      if (vm::NativeHandler h = findNative(table, name)) return h;
  return nullptr;
}

class WindowTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    for (const char* line :
         {"$ScreenWidth\" value=\"560", "$ScreenHeight\" value=\"381", "$screenWidth\" value=\"560",
          "$screenHeight\" value=\"381", "$mouseX\" value=\"0", "$mouseY\" value=\"0"})
      world->add(*world->globals, std::string("<globalvalue name=\"") + line + "\"/>");
  }
  void TearDown() override {
    windowState().screen = nullptr;
    windowState().input = nullptr;
    TreeTest::TearDown();
  }
  int32_t global(const char* name) {
    vm::TValue* cell = ExistingGlobalCell(name);
    return cell ? vm::toInt(*cell) : -1;
  }
  void setGlobal(const char* name, int32_t value) { vm::setInt(*ExistingGlobalCell(name), value); }

  HostState host;
  platform::VirtualClock clock;
};

}  // namespace zunka::testing
