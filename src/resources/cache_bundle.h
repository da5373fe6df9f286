#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// Cache files read as one file. Every start loads the three dozen class files of
// the kernel, which would take an open, a stat, a read and a close each; while a
// bundle is active (Activate), ReadCacheFile serves the files it holds from
// memory and notes every file it is asked for, and WriteCacheFile notes what is
// written. Save() then writes the bundle anew when it no longer holds exactly
// the files asked for, as they now are.
//
// The bundle holds copies: each file's own checks (a class file's digests and
// source stamp) still decide whether it is trusted, and the single files stay
// where they are. A missing or damaged bundle costs one start the single reads;
// a copy that fails its checks costs what a single file failing them does (the
// class is compiled again), after which the bundle holds the new file.
class CacheBundle {
 public:
  // Reads the bundle at `path` (a system path, replaced whole when saved); a
  // missing or damaged one holds nothing.
  explicit CacheBundle(std::string path);
  ~CacheBundle();
  CacheBundle(const CacheBundle&) = delete;
  CacheBundle& operator=(const CacheBundle&) = delete;

  // Makes this the bundle ReadCacheFile and WriteCacheFile go through, until
  // Deactivate or destruction.
  void Activate();
  void Deactivate();

  // Ends the bundle's activity and writes it when the files asked for differ
  // from what it held; false when that write failed.
  bool Save();

  // The files the bundle was read with (tests).
  size_t size() const { return entries_.size(); }

  // For ReadCacheFile and WriteCacheFile: the bytes the bundle holds for the
  // file at `path` (false when it holds none); a file read from disk or written.
  bool serve(std::string_view path, std::string_view& bytes);
  void note(std::string_view path, std::string_view bytes);

 private:
  struct Entry {
    std::string_view path, bytes;  // into buffer_
    bool served = false;
  };
  // A file asked for this run, with the bytes it has now.
  struct Used {
    std::string path;
    std::string_view bytes;  // into buffer_, or `owned` once read or written
    std::string owned;
    bool noted = false;  // read from disk or written during this run
  };
  Used& use(std::string_view path);
  bool read(std::string_view in);
  std::string encoded() const;

  std::string path_;
  std::string buffer_;
  std::vector<Entry> entries_;
  std::deque<Used> used_;  // a deque: `bytes` may view `owned` of its own element
  size_t next_ = 0;        // files are asked for in the order of the last run
  bool changed_ = false;
  CacheBundle* previous_ = nullptr;
  bool active_ = false;
};

// The file at `path` as the active bundle holds it, else as read from disk
// (then noted in the active bundle). False when neither has it. `bytes` views
// `owned` or the bundle: it lasts until the bundle goes or notes this path again.
bool ReadCacheFile(std::string_view path, std::string& owned, std::string_view& bytes,
                   uint64_t largest);

}  // namespace zunka
