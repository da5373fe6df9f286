#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/auxv.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

namespace fs = std::filesystem;

// Converts between the system's Shift_JIS names and the host's UTF-8 names. A name
// that does not convert is used byte for byte.
std::string convert(std::string_view text, const char* to, const char* from) {
  if (isAscii(text)) return std::string(text);
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return std::string(text);
  out.resize(out.size() - outLeft);
  return out;
}
std::string toHostName(std::string_view name) {
  return convert(name, "UTF-8", "CP932");
}
std::string toSystemName(std::string_view name) {
  return convert(name, "CP932", "UTF-8");
}

std::string foldAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

int64_t modificationNs(const struct stat& st) {
  return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// A directory's entries by ASCII-folded name, valid while its modification time
// stays the same. Only a directory searched more than once is listed: one search
// reads the entries without keeping them (a start looks up a file or two in its
// working directory, which may hold thousands).
struct Listing {
  int64_t stamp = -1;
  int32_t searches = 0;
  bool listed = false;
  std::unordered_map<std::string, std::string> byFoldedName;
};

std::unordered_map<std::string, Listing>& listingCache() {
  static std::unordered_map<std::string, Listing> cache;
  return cache;
}

bool sameAsciiFolded(std::string_view name, std::string_view folded) {
  if (name.size() != folded.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != folded[i]) return false;
  }
  return true;
}

// The name of the entry of `dir` whose ASCII-folded name is `folded` (the first
// the directory gives, when several fold alike); nothing when there is none.
std::optional<std::string> entryByFoldedName(const std::string& dir, const std::string& folded) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  Listing& listing = listingCache()[dir];
  if (listing.stamp != modificationNs(st)) {
    listing.byFoldedName.clear();
    listing.stamp = modificationNs(st);
    listing.searches = 0;
    listing.listed = false;
  }
  if (!listing.listed) {
    const bool keep = ++listing.searches > 1;
    std::optional<std::string> found;
    if (DIR* d = ::opendir(dir.c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        if (keep) {
          listing.byFoldedName.try_emplace(foldAscii(std::string(name)), name);
        } else if (sameAsciiFolded(name, folded)) {
          found = std::string(name);
          break;
        }
      }
      ::closedir(d);
    }
    if (!keep) return found;
    listing.listed = true;
  }
  auto it = listing.byFoldedName.find(folded);
  if (it == listing.byFoldedName.end()) return std::nullopt;
  return it->second;
}

bool exists(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0;
}

std::string join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The drive prefix ("C:") a system path may start with is ignored.
std::string_view withoutDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
    path.remove_prefix(2);
  return path;
}

// Splits a system path into host-named components; a drive prefix is dropped.
std::vector<std::string> hostComponents(std::string_view path, bool& absolute) {
  path = withoutDrive(path);
  absolute = !path.empty() && path[0] == '\\';
  std::vector<std::string> parts;
  std::string piece;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (isSjisLeadByte(c) && i + 1 < path.size()) {
      piece += path.substr(i, 2);
      ++i;
    } else if (c == '\\' || c == '/') {
      if (!piece.empty() && piece != ".") parts.push_back(toHostName(piece));
      piece.clear();
    } else {
      piece += static_cast<char>(c);
    }
  }
  if (!piece.empty() && piece != ".") parts.push_back(toHostName(piece));
  return parts;
}

void forgetListings() {
  listingCache().clear();
}

// The host path of a plain ASCII system path, components as spelled, made in one
// pass as no name needs converting; nothing when a byte is not ASCII.
std::optional<std::string> asciiHostPath(std::string_view path) {
  path = withoutDrive(path);
  std::string host;
  host.reserve(path.size() + 1);
  if (!path.empty() && path[0] == '\\') host += '/';
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size()) {
      char c = path[i];
      if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
      if (c != '\\' && c != '/') continue;
    }
    std::string_view part = path.substr(start, i - start);
    if (!part.empty() && part != ".") {
      if (!host.empty() && host.back() != '/') host += '/';
      host += part;
    }
    start = i + 1;
  }
  return host;
}

// The host path of a system path with every component spelled as given; "" for
// a path without components.
std::string exactHostPath(std::string_view path) {
  if (std::optional<std::string> host = asciiHostPath(path)) return std::move(*host);
  bool absolute = false;
  std::vector<std::string> parts = hostComponents(path, absolute);
  std::string exact = absolute ? "/" : "";
  for (const std::string& part : parts) exact = join(exact, part);
  return exact;
}

// The host path of a system path some component of which is not spelled as on
// the host (or does not exist): walks down, taking the entry that matches without
// regard to case where one does.
std::string caseInsensitiveHostPath(std::string_view path) {
  bool absolute = false;
  std::vector<std::string> parts = hostComponents(path, absolute);
  std::string dir = absolute ? "/" : "";
  bool missing = false;
  for (const std::string& part : parts) {
    std::string next = join(dir, part);
    if (!missing && !exists(next)) {
      std::optional<std::string> actual =
          entryByFoldedName(dir.empty() ? "." : dir, foldAscii(part));
      if (actual) {
        next = join(dir, *actual);
      } else {
        missing = true;  // the rest cannot exist either: keep the names as given
      }
    }
    dir = next;
  }
  return dir;
}

// hostPath(path) in `host`, with what stat says of it: the exact spelling's stat
// decides whether the search is needed, and is the answer when it is not.
bool statHostPath(std::string_view path, std::string& host, struct stat& st) {
  host = exactHostPath(path);
  if (host.empty())
    host = ".";
  else if (::stat(host.c_str(), &st) == 0)
    return true;
  else
    host = caseInsensitiveHostPath(path);
  return ::stat(host.c_str(), &st) == 0;
}

}  // namespace

std::string hostPath(std::string_view path) {
  std::string exact = exactHostPath(path);
  if (exact.empty()) return ".";
  if (exists(exact)) return exact;
  return caseInsensitiveHostPath(path);
}

std::string systemPath(std::string_view host) {
  std::string out;
  // Whether `out` ends with a separator. Its last byte cannot tell: a name may
  // end in a double-byte character whose second byte is 5C.
  bool separatorLast = false;
  size_t start = 0;
  while (start <= host.size()) {
    size_t slash = host.find('/', start);
    std::string_view piece = host.substr(
        start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (slash == 0) {
      out += "\\";
      separatorLast = true;
    } else if (!piece.empty()) {
      if (!out.empty() && !separatorLast) out += "\\";
      out += toSystemName(piece);
      separatorLast = false;
    }
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return out;
}

namespace {

// Opened without waiting: a FIFO would block the player for good.
int openForReading(const std::string& host) {
  return ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// Only regular files are read, and up to a bound (a device such as /dev/zero
// never ends). Closes `fd`.
bool readOpenFile(int fd, std::string& bytes, uint64_t largest) {
  largest = std::min(largest, kLargestReadFile);
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
            uint64_t(st.st_size) <= largest;
  bytes.clear();
  if (ok) {
    // Read in place, asking for one byte more than the size: a file that has not
    // changed comes back short by that byte, which ends the read without a second
    // call. A short read of fewer bytes, or a file that grows meanwhile, reads on
    // to the end of the file.
    size_t size = size_t(st.st_size);
    size_t have = 0;
    for (;;) {
      if (bytes.size() < have + 1)
        bytes.resize(std::max(size + 1, std::min(2 * bytes.size(), size_t(largest) + 1)));
      ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      have += size_t(n);
      // A file that grows while read is cut off at the bound, not followed.
      if (have > largest) {
        ok = false;
        break;
      }
      // The buffer always has room past the size: this read came back short.
      if (have == size) break;
    }
    bytes.resize(have);
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

bool readHostFile(const std::string& host, std::string& bytes, uint64_t largest) {
  int fd = openForReading(host);
  return fd >= 0 && readOpenFile(fd, bytes, largest);
}

}  // namespace

bool readFile(std::string_view path, std::string& bytes, uint64_t largest) {
  // A file that opens under its exact spelling is the one hostPath names (it
  // exists): the search, and its stat, are only for the others.
  std::string exact = exactHostPath(path);
  int fd = exact.empty() ? -1 : openForReading(exact);
  if (fd < 0) {
    std::string host = hostPath(path);
    if (host != exact) fd = openForReading(host);
  }
  return fd >= 0 && readOpenFile(fd, bytes, largest);
}

bool writeFile(std::string_view path, std::string_view bytes) {
  // Written beside the target and renamed over it, so that a reader (another
  // player sharing the Temp cache, say) sees the old file or the new one, never
  // half of one.
  std::string host = hostPath(path);
  std::string partial = host + ".part" + std::to_string(::getpid());
  std::FILE* f = std::fopen(partial.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = std::rename(partial.c_str(), host.c_str()) == 0;
  if (!ok) std::remove(partial.c_str());
  return ok;
}

bool fileExists(std::string_view path) {
  std::string host;
  struct stat st;
  return statHostPath(path, host, st) && S_ISREG(st.st_mode);
}

bool directoryExists(std::string_view path) {
  std::string host;
  struct stat st;
  return statHostPath(path, host, st) && S_ISDIR(st.st_mode);
}

namespace {

// FNV-1a, 32 bits.
void digest(uint32_t& hash, const void* data, size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i) {
    hash ^= bytes[i];
    hash *= 16777619u;
  }
}

}  // namespace

namespace {

// The modification time in nanoseconds, the size and the file's identity change
// with nearly every rewrite.
uint32_t statDigest(const struct stat& st) {
  uint32_t hash = 2166136261u;
  int64_t fields[3] = {modificationNs(st), int64_t(st.st_size), int64_t(st.st_ino)};
  digest(hash, fields, sizeof fields);
  return hash;
}

int32_t asStamp(uint32_t hash) {
  int32_t stamp = static_cast<int32_t>(hash);
  return stamp == -1 ? 0 : stamp;
}

}  // namespace

int32_t fileAge(std::string_view path) {
  std::string host;
  struct stat st;
  if (!statHostPath(path, host, st) || !S_ISREG(st.st_mode)) return -1;
  uint32_t hash = statDigest(st);
  // The host's clock for file times may tick only every few milliseconds, though,
  // so the bytes of small files (sources, pages) are digested too: an edit never
  // goes unnoticed.
  constexpr off_t kDigestedBytes = 1 << 20;
  if (st.st_size <= kDigestedBytes) {
    std::string bytes;
    if (readHostFile(host, bytes, kLargestReadFile)) digest(hash, bytes.data(), bytes.size());
  }
  return asStamp(hash);
}

namespace {

int64_t changeNs(const struct stat& st) {
  return int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

// The effective user and group of the process. Linux hands them to every process
// at start, so asking costs no system call.
uid_t effectiveUser() {
#if defined(__linux__)
  return static_cast<uid_t>(getauxval(AT_EUID));
#else
  return ::geteuid();
#endif
}
gid_t effectiveGroup() {
#if defined(__linux__)
  return static_cast<gid_t>(getauxval(AT_EGID));
#else
  return ::getegid();
#endif
}

// Whether the permission bits let this process read the file: the owner's bits
// for its owner, the group's for its group, the others' for the rest (a member of
// the group through a supplementary one is judged as another: too strict at worst).
bool readableByMode(const struct stat& st) {
  uid_t user = effectiveUser();
  if (user == 0) return true;
  if (st.st_uid == user) return (st.st_mode & S_IRUSR) != 0;
  if (st.st_gid == effectiveGroup()) return (st.st_mode & S_IRGRP) != 0;
  return (st.st_mode & S_IROTH) != 0;
}

}  // namespace

std::optional<FileStamp> readableFileStamp(std::string_view path, uint64_t largest) {
  std::string host;
  struct stat st;
  if (!statHostPath(path, host, st) || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      uint64_t(st.st_size) > std::min(largest, kLargestReadFile) || !readableByMode(st))
    return std::nullopt;
  FileStamp stamp;
  stamp.size = int64_t(st.st_size);
  stamp.modifiedNs = modificationNs(st);
  stamp.changedNs = changeNs(st);
  stamp.inode = uint64_t(st.st_ino);
  stamp.device = uint64_t(st.st_dev);
  stamp.mode = uint32_t(st.st_mode);
  return stamp;
}

int64_t wallClockNs() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::vector<std::string> listDirectory(std::string_view path, EntryKind kind) {
  std::vector<std::string> names;
  std::string dir = hostPath(path);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (::stat(join(dir, name).c_str(), &st) != 0) continue;
    bool isDir = S_ISDIR(st.st_mode);
    if ((kind == EntryKind::Files && isDir) || (kind == EntryKind::Directories && !isDir)) continue;
    names.push_back(toSystemName(name));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool makeDirectory(std::string_view path) {
  std::error_code ec;
  fs::create_directories(hostPath(path), ec);
  forgetListings();
  return directoryExists(path);
}

bool copyFile(std::string_view from, std::string_view to) {
  std::error_code ec;
  bool ok = fs::copy_file(hostPath(from), hostPath(to), fs::copy_options::overwrite_existing, ec);
  forgetListings();
  return ok && !ec;
}

bool moveFile(std::string_view from, std::string_view to) {
  std::string source = hostPath(from);
  std::string target = hostPath(to);
  bool ok = std::rename(source.c_str(), target.c_str()) == 0;
  if (!ok && errno == EXDEV) ok = copyFile(from, to) && std::remove(source.c_str()) == 0;
  forgetListings();
  return ok;
}

bool deleteFile(std::string_view path) {
  bool ok = std::remove(hostPath(path).c_str()) == 0;
  forgetListings();
  return ok;
}

namespace {

// The canonical host path of an existing file or directory, links followed.
std::optional<std::string> realHostPath(const std::string& host) {
  char* real = ::realpath(host.c_str(), nullptr);
  if (!real) return std::nullopt;
  std::string result = real;
  std::free(real);
  return result;
}

// The canonical form of a host path whose tail may not exist yet: the deepest
// existing ancestor resolved, the missing components appended as they are.
std::optional<std::string> realHostPathOfNew(std::string host) {
  std::string missing;
  for (;;) {
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0) {
      // Something is there: it resolves fully or not at all (a dangling link).
      std::optional<std::string> real = realHostPath(host);
      if (!real) return std::nullopt;
      return missing.empty() ? *real : join(*real, missing);
    }
    size_t slash = host.find_last_of('/');
    if (slash == std::string::npos) return std::nullopt;
    std::string name = host.substr(slash + 1);
    if (name == "..") return std::nullopt;  // cannot be judged without the part above
    missing = missing.empty() ? name : name + "/" + missing;
    host.resize(slash == 0 ? 1 : slash);
  }
}

}  // namespace

bool staysInsideOnHost(std::string_view path, std::string_view dir) {
  std::optional<std::string> realDir = realHostPath(hostPath(dir));
  std::optional<std::string> realPath = realHostPathOfNew(hostPath(path));
  if (!realDir || !realPath) return false;
  if (*realPath == *realDir) return true;
  std::string prefix = realDir->back() == '/' ? *realDir : *realDir + "/";
  return realPath->compare(0, prefix.size(), prefix) == 0;
}

std::string currentDirectory() {
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  return ec ? std::string() : systemPath(cwd.string());
}

std::string executableDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? currentDirectory() : systemPath(exe.parent_path().string());
}

}  // namespace zunka::platform
