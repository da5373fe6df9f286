#include "platform/shared_library.h"

#include <dlfcn.h>

#include "platform/files.h"
#include "platform/sjis_text.h"

namespace zunka::platform {

SharedLibrary SharedLibrary::open(std::string_view path, std::string& error) {
  SharedLibrary library;
  std::string host = hostPath(path);
  if (!fileExists(path)) {
    error = "no such file";
    return library;
  }
  // RTLD_LOCAL: one module's symbols never satisfy another's.
  library.handle_ = ::dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library.handle_) {
    const char* why = ::dlerror();
    error = why ? utf8ToSjis(why) : "cannot be loaded";
  }
  return library;
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace zunka::platform
