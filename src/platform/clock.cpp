#include "platform/clock.h"

#include <time.h>
#include <cerrno>

// POSIX clocks: the monotonic clock is what frame pacing and profiling need.
namespace zunka::platform {

uint32_t tickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

double preciseMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void sleepMilliseconds(uint32_t ms) {
  timespec request{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&request, &request) == -1 && errno == EINTR) {
  }  // a signal cut the sleep short: sleep the rest
}

}  // namespace zunka::platform
