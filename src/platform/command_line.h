#pragma once
#include <string>
#include <vector>

namespace zunka::platform {

// The arguments the program was started with (without the program name), kept
// from main() so that any part of the player can read them as the host gave them.
void setCommandLine(int argc, const char* const* argv);
const std::vector<std::string>& commandLine();

}  // namespace zunka::platform
