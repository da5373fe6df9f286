#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Registers the natives of Panel.
void RegisterPanelNatives();

// The file a panel is saved as or loaded from: `name` without "\", ":" and "/"
// ("untitled" when empty) in the folder "files" under `workDir`; empty when the
// name cannot make a file there (nothing left but "." or "..", say).
std::string PanelFilePath(std::string_view name, std::string_view workDir);

}  // namespace zunka
