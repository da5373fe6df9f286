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
  library = openHostFile(host, error);
  if (!library.isOpen()) error = utf8ToSjis(error);
  return library;
}

SharedLibrary SharedLibrary::openHostFile(const std::string& hostPath, std::string& error) {
  SharedLibrary library;
  // RTLD_LOCAL: one module's symbols never satisfy another's.
  library.handle_ = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library.handle_) {
    const char* why = ::dlerror();
    error = why ? why : "cannot be loaded";
  }
  return library;
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace zunka::platform
