#pragma once
#include <string>
#include <string_view>

// The folders the player trusts with its reads and writes. A page, a project file
// or a script names paths, and any of them may come from a stranger's download:
// a page of another project must not make the player write next to an arbitrary
// file, nor read the host's files as its classes.
namespace zunka {

// Whether `path` is `dir` or lies below it, by its text and on the host once
// symbolic links are followed.
bool LiesInside(std::string_view path, std::string_view dir);

enum class Access { Read, Write };
// Folders the user opened: the base directory (kernel, `Usr`, `Temp`) and the folder
// of the file named on the command line (ProjectState::openedFolders). Only inside
// them does the player create a project file for a page that has none. For reading,
// the base directory is judged by the text of the path alone (it is the
// installation, and its kernel may be a link to elsewhere); everything else is
// judged on the host too.
bool InOpenedFolder(std::string_view path, Access access);

// Whether a `link` or `class` source may be read: it lies in an opened folder, in
// the open project's folder or in the current page's folder. Without a base
// directory (a bare tree with no system home) every path may be read.
bool MayReadSource(std::string_view path);
// When MayReadSource refuses `path`: reports path + "はプロジェクトの外にあるので読み込めません"
// and raises the file error, as a missing file does.
void CheckSourceInside(std::string_view path);

}  // namespace zunka
