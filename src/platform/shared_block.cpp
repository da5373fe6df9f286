#include "platform/shared_block.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace zunka::platform {

std::unique_ptr<SharedBlock> SharedBlock::open(const std::string& name) {
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
  if (fd < 0) return nullptr;
  struct stat info {};
  bool sized =
      fstat(fd, &info) == 0 && (info.st_size >= off_t(kSize) || ftruncate(fd, off_t(kSize)) == 0);
  void* at = sized ? mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  close(fd);
  if (at == MAP_FAILED) return nullptr;
  return std::unique_ptr<SharedBlock>(new SharedBlock(static_cast<uint8_t*>(at)));
}

SharedBlock::~SharedBlock() {
  munmap(bytes_, kSize);
}

void SharedBlock::unlink(const std::string& name) {
  shm_unlink(name.c_str());
}

int32_t SharedBlock::word(size_t offset) const {
  if (offset + 4 > kSize) return 0;
  return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(bytes_ + offset)).load();
}

void SharedBlock::setWord(size_t offset, int32_t value) {
  if (offset + 4 > kSize) return;
  std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(bytes_ + offset)).store(value);
}

std::string SharedBlock::text(size_t offset) const {
  if (offset >= kSize) return {};
  const char* start = reinterpret_cast<const char*>(bytes_ + offset);
  return std::string(start, strnlen(start, kSize - offset - 1));
}

void SharedBlock::setText(size_t offset, const std::string& text) {
  if (offset >= kSize) return;
  size_t n = std::min(text.size(), kSize - offset - 1);
  std::memcpy(bytes_ + offset, text.data(), n);
  bytes_[offset + n] = 0;
}

}  // namespace zunka::platform
