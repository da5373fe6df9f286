#pragma once
#include <string>

#include "platform/host_platform.h"
#include "resources/player_hosts.h"

namespace zunka::app {

// The browser as a session sees it: the desktop's default handler, or without a
// window the address printed on standard output; the rate limit counts on the
// session's clock (the virtual one headless, so that runs repeat exactly).
class SessionBrowser final : public BrowserHost {
 public:
  explicit SessionBrowser(platform::HostPlatform& host) : host_(host) {}
  void open(const std::string& address) override;
  double minutes() const override { return host_.clock().milliseconds() / 60000.0; }

 private:
  platform::HostPlatform& host_;
};

}  // namespace zunka::app
