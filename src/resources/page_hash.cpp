#include "resources/page_hash.h"

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "vm/natives/math_natives.h"

namespace zunka {
namespace {

constexpr uint32_t kSeedMask = 123459876;
constexpr uint32_t kDrawsDivisor = 357913941;  // 2^30 div 3

// Seeding for the hash takes the whole 32-bit product, unlike `_n_randomize`.
void seedWith(uint32_t v) {
  vm::random::setState(v ^ kSeedMask);
}

bool isLibrary(std::string_view path) {
  std::string name = FileNamePart(path);
  size_t dot = name.rfind('.');
  return dot != std::string::npos && name.compare(dot, std::string::npos, ".dll") == 0;
}

// The hash draws a few random numbers per byte, so it is bounded like the largest
// files a page uses (pattern sheets, sounds): a bigger file hashes as missing.
constexpr uint64_t kLargestHashedFile = uint64_t(64) << 20;

// The bytes of a file that hashes; false for a file that hashes to 0 unread
// (missing, a library, too large).
bool hashedBytes(std::string_view path, std::string& bytes) {
  return !path.empty() && !isLibrary(path) && platform::readFile(path, bytes, kLargestHashedFile);
}

// What the byte at position `at` adds to its file's hash. It reseeds the
// generator, so the last byte hashed alone decides where the generator ends.
uint32_t byteHash(char byte, size_t at) {
  seedWith(static_cast<uint32_t>(static_cast<unsigned char>(byte)) * static_cast<uint32_t>(at));
  vm::random::next();
  uint32_t k = vm::random::next() / kDrawsDivisor + 1;
  uint32_t h = 0;
  for (uint32_t i = 0; i < k; ++i) h += vm::random::next();
  return h;
}

}  // namespace

int32_t PageFileHash(std::string_view path) {
  std::string bytes;
  if (!hashedBytes(path, bytes)) return 0;
  uint32_t h = 0;
  for (size_t j = 0; j < bytes.size(); ++j) h += byteHash(bytes[j], j);
  return static_cast<int32_t>(h);
}

int32_t PageHash(const std::vector<std::string>& files) {
  uint32_t sum = 0;
  for (const std::string& file : files) sum += static_cast<uint32_t>(PageFileHash(file));
  return static_cast<int32_t>(sum);
}

void DrawAsPageHash(const std::vector<std::string>& files) {
  std::string bytes;
  for (auto file = files.rbegin(); file != files.rend(); ++file) {
    if (hashedBytes(*file, bytes) && !bytes.empty()) {
      byteHash(bytes.back(), bytes.size() - 1);
      return;
    }
  }
}

int32_t KernelId() {
  ProjectState& project = projectState();
  if (!project.kernelId) {
    uint32_t generator = vm::random::state();
    project.kernelId = PageHash(project.kernelFiles);
    vm::random::setState(generator);
  }
  return *project.kernelId;
}

void TPageFileEnum::VisitResource(TResource& resource) {
  if (resource.src.empty()) return;
  if (!seen_.insert(StripTrailingBackslash(resource.src)).second) return;
  files_.push_back(resource.src);
}

}  // namespace zunka
