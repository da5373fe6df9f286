#include "platform/headless_platform.h"

#include "platform/stream_output.h"

namespace zunka::platform {

HeadlessPlatform::HeadlessPlatform(const PlatformOptions& options)
    : loop_(clock_, options.frameInterval),
      boxes_(StreamOutput::standardError()),
      window_(options.width, options.height) {
  // Covering the display: the display the headless window pretends to be on.
  if (options.fullScreen) {
    int32_t width = 0, height = 0;
    window_.displaySize(width, height);
    window_.setClientSize(width, height);
  }
}

}  // namespace zunka::platform
