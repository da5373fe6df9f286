#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Scripts keep their own files in the folder `files` of the running page and name
// them by bare names. Whatever a script passes, the name loses every `\`, `:` and
// `/` (whole characters: the second byte of a double-byte character is never
// taken for one), so it can hold no folder, drive or root; what is left must name
// a file directly inside the folder, by its text and on the host, where symbolic
// links are followed: a link that leads out of the folder, or a folder `files`
// that is itself a link out of the page's folder, is refused.

// The name with every `\`, `:` and `/` character removed.
std::string CleanFileName(std::string_view name);
// The files folder of a page folder.
std::string FilesFolder(std::string_view pageDir);
// The path the script name `name` gives in the files folder of `pageDir`, or ""
// when it names nothing there (an empty name, "." or "..").
std::string FilesFolderPath(std::string_view name, std::string_view pageDir);
// Whether `path` (a FilesFolderPath) stays in the files folder on the host, and the
// folder in the page folder. False while the folder does not exist.
bool StaysInFilesFolder(std::string_view path, std::string_view pageDir);
// Makes the files folder when it is missing; true when it exists afterwards and
// stays in the page folder.
bool MakeFilesFolder(std::string_view pageDir);

}  // namespace zunka
