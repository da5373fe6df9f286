#pragma once
#include <string>
#include <string_view>

#include "platform/shared_library.h"
#include "resources/tag_resource.h"

namespace zunka {

// A `module` element: the plug-in library of a module's classes. The library is
// the file its `src` names, looked for as a shared object (`.so`) whatever the
// extension written (so "x.dll" finds "x.so"), or NAME.so beside the tag file when
// there is no `src`. Only the player's module loading opens it, and only inside
// kernel\modules: a `module` element anywhere else stays a plain element.
class TModuleRes : public TTagResource {
 public:
  TModuleRes(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TModuleRes"; }

  std::string LibraryPath() const;
  // Opens the library; false (with the reason in `error`) when it cannot be.
  bool Load(std::string& error);
  const platform::SharedLibrary& library() const { return library_; }

 private:
  std::string dir_;
  platform::SharedLibrary library_;
};

}  // namespace zunka
