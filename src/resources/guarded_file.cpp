#include "resources/guarded_file.h"

#include "platform/sjis_text.h"
#include "resources/paths.h"

namespace zunka {

bool IsGuardedHeader(std::string_view firstBytes) {
  std::string_view text = firstBytes.substr(0, kGuardedHeaderBytes);
  text = text.substr(0, text.find('\0'));
  return text.starts_with("ZUNKA_ACCESSIBLE_FILE");
}

bool IsMapFile(std::string_view path) {
  std::string name = platform::foldAsciiCase(FileNamePart(path));
  return name.size() > 4 && name.ends_with(".map");
}

}  // namespace zunka
