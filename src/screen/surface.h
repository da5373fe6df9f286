#pragma once
#include <cstdint>

#include "platform/image_file.h"
#include "vm/host_object.h"

namespace zunka {

// A picture a script keeps from frame to frame (a panel), reached through a
// checked handle: a map sprite names its surface by handle, so a surface freed
// before the frame is drawn draws nothing instead of reading freed memory.
class TSurface final : public vm::HostObject {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Surface;
  TSurface() : vm::HostObject(kHostKind) {}
  const char* hostClassName() const override { return "Panel"; }

  platform::Image image;
  // Pixels of this colour (0xRRGGBB) are left out when the surface is drawn.
  uint32_t transparentColour = 0xFFFFFF;
};

}  // namespace zunka
