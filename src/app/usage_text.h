#pragma once

namespace zunka::app {

// The --help text, usage.txt as it is (ASCII), compiled in; the manual page
// zunka.1 is made from the same file.
extern const char kUsageText[];

}  // namespace zunka::app
