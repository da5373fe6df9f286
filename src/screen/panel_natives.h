#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Registers the natives of Panel.
void RegisterPanelNatives();

// The file a panel is saved as or loaded from: `name` ("untitled" when empty) in
// the files folder of `workDir`, as resources/files_folder.h cleans it; empty when
// the name cannot make a file there (nothing left but "." or "..", say). The natives
// save and load through ScriptFileToWrite and ExistingScriptFile, so a game that
// takes no writes keeps its panels in the mirror of that folder.
std::string PanelFilePath(std::string_view name, std::string_view workDir);

}  // namespace zunka
