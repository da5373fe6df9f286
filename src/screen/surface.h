#pragma once
#include <cstdint>
#include <memory>

#include "platform/image_file.h"
#include "vm/host_handles.h"
#include "vm/host_object.h"

namespace zunka {

// A picture a script keeps from frame to frame (a panel), reached through a
// checked handle. Map sprites name their surface by handle and the sprite list
// holds the surface until it is emptied, so a panel freed while its picture still
// shows keeps showing until the next drawn frame, never reading freed memory.
class TSurface final : public vm::HostObject, public std::enable_shared_from_this<TSurface> {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Surface;
  TSurface() : vm::HostObject(kHostKind) {}
  const char* hostClassName() const override { return "Panel"; }

  platform::Image image;
  // Pixels of this colour (0xRRGGBB) are left out when the surface is drawn.
  uint32_t transparentColour = 0;
  // Freed by its script: no native reaches it any more, only sprites still
  // showing it do.
  bool freed = false;
};

// The live (not freed) surface of a handle, or nullptr for anything else.
inline TSurface* liveSurface(uint32_t handle) {
  TSurface* s = vm::hostAs<TSurface>(handle);
  return s && !s->freed ? s : nullptr;
}

}  // namespace zunka
