#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace zunka::platform {

// A named block of memory shared between processes (POSIX shared memory): made
// when missing, else opened, and mapped whole for reading and writing. Both
// sides write only whole aligned words and zero-terminated text, so a torn read
// shows at worst an old value.
class SharedBlock {
 public:
  static constexpr size_t kSize = 1024;

  // Nothing when the block cannot be made or mapped. `name` is a POSIX name
  // ("/ZunkaMidiShare").
  static std::unique_ptr<SharedBlock> open(const std::string& name);
  ~SharedBlock();
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  int32_t word(size_t offset) const;
  void setWord(size_t offset, int32_t value);
  // Zero-terminated text at `offset`, cut to fit the block.
  std::string text(size_t offset) const;
  void setText(size_t offset, const std::string& text);
  // Removes the name (the memory lives on while mapped).
  static void unlink(const std::string& name);

 private:
  explicit SharedBlock(uint8_t* bytes) : bytes_(bytes) {}
  uint8_t* bytes_;
};

}  // namespace zunka::platform
