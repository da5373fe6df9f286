#include "screen/cpattern.h"

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/sgml.h"
#include "resources/snippet_service.h"
#include "resources/tag_dispatch.h"
#include "resources/trusted_folders.h"
#include "screen/screen_state.h"
#include "vm/console.h"

namespace zunka {

void TCPat::InitPass(TInitContext& context) {
  TPatternList& patterns = screenState().patterns;
  if (vm::TValue* first = GlobalCell(name())) {
    vm::TValue total = vm::TValue::ofInt(patterns.Total());
    vm::assign(*first, &total);
  }
  std::string placeholder = resourceTree().baseDir + "\\Kernel\\images\\404.bmp";
  std::string file = src;
  // A sheet is read only from where the page's own sources may be read: a page
  // from elsewhere must not show the host's pictures.
  if (!MayReadSource(file)) {
    LogError(file + "はプロジェクトの外にあるので読み込めません", {}, true);
    file = placeholder;
  } else if (!platform::fileExists(file)) {
    LogError(file + "というキャラクタパターンのファイルはありません", {}, true);
    file = placeholder;
  }
  patterns.Append(screenState().cache.Cut(file, placeholder));
  ++context.done;
}

void TCPat::WriteTag(std::vector<std::string>& lines, const std::string& indent, int) {
  lines.push_back(indent + "<cpattern name=\"" + EscapeAttr(name()) + "\" src=\"" +
                  EscapeAttr(RelativePath(src, resourceTree().workDir)) + "\"/>");
}

void RegisterPatternResources() {
  RegisterResourceKind("cpattern", [](const TSGML& tag, std::string_view dir) {
    return MakeResource<TCPat>(tag, dir);
  });
}

}  // namespace zunka
