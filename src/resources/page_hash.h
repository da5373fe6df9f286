#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/sjis_text.h"
#include "resources/resource.h"

namespace zunka {

// The page hash tells a generated placement script whether the page it was made
// from has changed since (and gives the kernel its identity number). It is built
// on the player's random generator of the `rnd` natives, exactly as scripts
// see it, and leaves that generator's state changed.
//
// Per file: 0 when the file is missing or its extension is exactly ".dll";
// otherwise, for each byte b at position j, seed with b * j, discard one draw,
// and add the next k draws, k being (a draw div 357913941) + 1.
int32_t PageFileHash(std::string_view path);
// The sum of the per-file hashes (32-bit, wrapping).
int32_t PageHash(const std::vector<std::string>& files);
// Leaves the generator where PageHash(files) leaves it, without hashing them all:
// only the last byte of the last file that hashes decides where that is.
void DrawAsPageHash(const std::vector<std::string>& files);

// The kernel's identity: the page hash of projectState().kernelFiles, worked out
// on first use. Working it out leaves the generator as it was.
int32_t KernelId();

// Collects, without duplicates and in walk order, the non-empty `src` of every
// resource of a subtree.
class TPageFileEnum : public TResourceIterator {
 public:
  void VisitResource(TResource& resource) override;
  const std::vector<std::string>& files() const { return files_; }

 private:
  std::vector<std::string> files_;
  // The files listed so far, as SamePath compares them (ASCII case folded, a
  // trailing backslash dropped): a look-up each instead of a scan of the list.
  std::unordered_set<std::string, platform::FoldedNameHash, platform::FoldedNameEqual> seen_;
};

}  // namespace zunka
