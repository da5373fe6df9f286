#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// Scripts keep their own files in the folder `files` of the running page and name
// them by bare names. Whatever a script passes, the name loses every `\`, `:` and
// `/` (whole characters: the second byte of a double-byte character is never
// taken for one), so it can hold no folder, drive or root; what is left must name
// a file directly inside the folder, by its text and on the host, where symbolic
// links are followed: a link that leads out of the folder, or a folder `files`
// that is itself a link out of the page's folder, is refused.
//
// A page of a game whose folder takes no writes (user_storage.h) keeps what it
// writes in the mirror of its files folder in the user's data directory; reads
// look there first and then in the files folder the game came with.

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

// A files folder and the folder it must stay in: a page folder and its `files`, or
// their mirrors in the user's data directory.
struct FilesPlace {
  std::string folder;
  std::string container;
  bool mirror = false;  // a mirror's page folder is made when missing
};
// Where the script files of the page folder `pageDir` (in the game folder
// `gameDir`) are read from, in order, and where they are written ("" folder: nowhere).
std::vector<FilesPlace> FilesPlacesToRead(std::string_view pageDir, std::string_view gameDir);
FilesPlace FilesPlaceToWrite(std::string_view pageDir, std::string_view gameDir);
// The same three rules for a place.
std::string FilesFolderPath(std::string_view name, const FilesPlace& place);
bool StaysInFilesFolder(std::string_view path, const FilesPlace& place);
bool MakeFilesFolder(const FilesPlace& place);

// The file the script name `name` gives for the running page: the first place to
// read that has it, or "" when none does.
std::string ExistingScriptFile(std::string_view name);
// The path the script name gives where the running page writes ("" when it names
// nothing there); the files folder is made first when `makeFolder`.
std::string ScriptFileToWrite(std::string_view name, bool makeFolder);

}  // namespace zunka
