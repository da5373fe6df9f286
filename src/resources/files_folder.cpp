#include "resources/files_folder.h"

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"

namespace zunka {

std::string CleanFileName(std::string_view name) {
  std::string cleaned;
  for (size_t i = 0; i < name.size();) {
    size_t length = platform::sjisCharLength(name, i);
    // No character has a second byte below 0x40: a lead byte before "/" or ":" is
    // a stray byte, and the separator after it is removed like any other (the
    // host would take that "/" for one).
    if (length == 2 && static_cast<unsigned char>(name[i + 1]) < 0x40) length = 1;
    char c = name[i];
    if (length > 1 || (c != '\\' && c != ':' && c != '/')) cleaned.append(name.substr(i, length));
    i += length;
  }
  return cleaned;
}

std::string FilesFolder(std::string_view pageDir) {
  return ResolvePath("files", pageDir);
}

std::string FilesFolderPath(std::string_view name, std::string_view pageDir) {
  std::string folder = FilesFolder(pageDir);
  std::string cleaned = CleanFileName(name);
  // The host ends a name at its first zero byte.
  if (cleaned.find('\0') != std::string::npos || folder.empty()) return {};
  std::string path = ResolvePath(cleaned, folder);
  if (path.empty() || !IsSameOrInside(path, folder) || SamePath(path, folder)) return {};
  return path;
}

bool StaysInFilesFolder(std::string_view path, std::string_view pageDir) {
  std::string folder = FilesFolder(pageDir);
  return platform::directoryExists(folder) && platform::staysInsideOnHost(folder, pageDir) &&
         platform::staysInsideOnHost(path, folder);
}

bool MakeFilesFolder(std::string_view pageDir) {
  std::string folder = FilesFolder(pageDir);
  // Judged before anything is made: a link named `files` that leads out of the
  // page folder must not have folders made at its far end.
  if (folder.empty() || !platform::staysInsideOnHost(folder, pageDir)) return false;
  if (!platform::directoryExists(folder)) platform::makeDirectory(folder);
  return platform::directoryExists(folder) && platform::staysInsideOnHost(folder, pageDir);
}

}  // namespace zunka
