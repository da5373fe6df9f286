#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The host file system, reached through system paths: `\` separators, absolute
// paths starting with `\` (a drive prefix such as "C:" is ignored), names in
// Shift_JIS. Games written on case-insensitive hosts spell the same file
// `Kernel\images` and `kernel\Images` alike, so a component that does not exist
// with its exact spelling is matched against its directory's entries without
// regard to ASCII case. Directory listings are cached and checked against the
// directory's modification time, so resolving a path costs a few stat calls.
namespace zunka::platform {

// The host path a system path names (existing components in their host spelling).
std::string hostPath(std::string_view systemPath);
// The system form of a host path: "/home/a" gives "\home\a".
std::string systemPath(std::string_view hostPath);

// The whole of a regular file as bytes; false for anything else (a directory, a device, a FIFO)
// and for files larger than `largest` bytes. Every reader of the player's files comes here
// (or through InputFile), each kind with a bound of its own no larger than kLargestReadFile.
inline constexpr uint64_t kLargestReadFile = uint64_t(256) << 20;
bool readFile(std::string_view path, std::string& bytes, uint64_t largest = kLargestReadFile);
// Creates or replaces the file; false on failure.
bool writeFile(std::string_view path, std::string_view bytes);
bool fileExists(std::string_view path);
bool directoryExists(std::string_view path);
// An opaque stamp that changes whenever the file changes: a 32-bit digest of the
// modification time in nanoseconds, the size, the file's identity and, for files
// up to 1 MiB, the bytes. -1 when there is no such file.
int32_t fileAge(std::string_view path);

// What the host's stat tells of a file, enough to tell one state of it from
// another: a write moves the change time (which, unlike the modification time,
// nobody can set back), and a replacement changes the identity. Times count
// nanoseconds since 1970, but advance only as often as the file system's clock ticks.
struct FileStamp {
  int64_t size = -1;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;
  uint64_t inode = 0;
  uint64_t device = 0;
  uint32_t mode = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of a regular file of at most `largest` bytes that this process may
// read, as far as its permission bits tell; nothing for anything else (a missing
// file, a directory, one too large or closed to this user), which the caller
// reads as usual to learn why.
std::optional<FileStamp> readableFileStamp(std::string_view path, uint64_t largest);
// The wall-clock time now, in nanoseconds since 1970: the clock file times come from.
int64_t wallClockNs();

enum class EntryKind { Files, Directories, Both };
// Names (not paths) of the entries of a directory, sorted; "." and ".." left out.
std::vector<std::string> listDirectory(std::string_view path, EntryKind kind = EntryKind::Both);
// Creates the directory and any missing parents; true when it exists afterwards.
bool makeDirectory(std::string_view path);
bool copyFile(std::string_view from, std::string_view to);
bool moveFile(std::string_view from, std::string_view to);
bool deleteFile(std::string_view path);

// Whether `path` lies inside `dir` (or is `dir`) on the host, once every symbolic
// link is followed: the test that the text of a path cannot make. `dir` must
// exist. A path whose last components do not exist yet is judged by the deepest
// part that does (the rest cannot hold a link); a dangling link or a loop never
// stays inside.
bool staysInsideOnHost(std::string_view path, std::string_view dir);

// The process's current directory and the directory of the running executable,
// in system form.
std::string currentDirectory();
std::string executableDirectory();

}  // namespace zunka::platform
