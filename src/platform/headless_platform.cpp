#include "platform/headless_platform.h"

#include "platform/stream_output.h"

namespace zunka::platform {

HeadlessPlatform::HeadlessPlatform(const PlatformOptions& options)
    : loop_(clock_, options.frameInterval),
      boxes_(StreamOutput::standardError()),
      window_(options.width, options.height) {}

}  // namespace zunka::platform
