#include "app/session_browser.h"

#include "platform/program_launcher.h"
#include "platform/stream_output.h"

namespace zunka::app {

void SessionBrowser::open(const std::string& address) {
  if (host_.headless()) {
    platform::StreamOutput::standardOutput().writeLine("open " + address);
    return;
  }
  // What becomes of it (no browser, a refused address) is not the game's concern.
  platform::openAddress(address);
}

}  // namespace zunka::app
