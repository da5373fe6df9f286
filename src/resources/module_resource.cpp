#include "resources/module_resource.h"

#include "platform/sjis_text.h"
#include "resources/paths.h"

namespace zunka {

TModuleRes::TModuleRes(const TSGML& tag, std::string_view dir)
    : TTagResource(tag, dir), dir_(dir) {}

std::string TModuleRes::LibraryPath() const {
  if (src.empty()) return ResolvePath(name() + ".so", dir_);
  if (platform::foldAsciiCase(FileNamePart(src)).ends_with(".so")) return src;
  return ParentDir(src) + "\\" + BaseNameWithoutExt(src) + ".so";
}

bool TModuleRes::Load(std::string& error) {
  library_ = platform::SharedLibrary::open(LibraryPath(), error);
  return library_.isOpen();
}

}  // namespace zunka
