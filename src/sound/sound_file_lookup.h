#pragma once
#include <functional>
#include <span>
#include <string>
#include <string_view>

// Where a sound file a script names lives. A relative name is looked for in the
// running page's folder, then the project's, then the kernel folder; an absolute
// one is taken as it is. Either way the file must lie inside one of those
// folders: a script cannot reach past its game's data.
namespace zunka::sound {

// The system path of the first existing candidate, or "" when there is none.
// `folders` in the order they are tried; `/` in the name counts as `\`.
std::string FindSoundFile(std::string_view name, std::span<const std::string> folders,
                          const std::function<bool(const std::string&)>& exists);

// The same for the running player: its page, project and kernel folders, and
// the host's files.
std::string FindSoundFile(std::string_view name);

}  // namespace zunka::sound
