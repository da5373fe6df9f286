#pragma once
#include <string>
#include <string_view>

// Plug-in libraries (shared objects) opened by system path.
namespace zunka::platform {

// A library once opened stays loaded until the program ends: the functions it
// supplies are bound into classes and tables that nothing here could track down
// before closing it.
class SharedLibrary {
 public:
  // Opens the library; on failure gives an empty library and says why in `error`
  // (Shift_JIS, as every text inside).
  static SharedLibrary open(std::string_view path, std::string& error);
  // The same by host path, with `error` as the host says it (UTF-8): for the
  // player's own libraries, found beside its executable whatever its folder's name,
  // and for the host's own by their soname (searched where the host keeps them).
  static SharedLibrary openHostFile(const std::string& hostPath, std::string& error);

  bool isOpen() const { return handle_ != nullptr; }
  // The address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;
  // Points `function` at the exported function `name`; false when there is none.
  template <class Function>
  bool bind(Function*& function, const char* name) const {
    function = reinterpret_cast<Function*>(symbol(name));
    return function != nullptr;
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace zunka::platform
