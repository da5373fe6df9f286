#pragma once

namespace zunka::app {

// Compiles and runs a tiny class through the whole pipeline (grammar, code
// generation, interpreter) and prints one line saying whether it worked; gives
// the exit status.
int runSelfCheck();

}  // namespace zunka::app
