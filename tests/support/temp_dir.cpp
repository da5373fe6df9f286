#include "support/temp_dir.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace zunka::testing {
namespace {

void removeTree(const std::string& path) {
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      std::string child = path + "/" + name;
      struct stat st;
      if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        removeTree(child);
      else
        unlink(child.c_str());
    }
    closedir(d);
  }
  rmdir(path.c_str());
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/zunka_test_XXXXXX";
  host_ = mkdtemp(pattern);
  system_ = platform::systemPath(host_);
}

TempDir::~TempDir() {
  removeTree(host_);
}

std::string TempDir::write(std::string_view relative, std::string_view bytes) const {
  std::string path = system_ + "\\" + std::string(relative);
  platform::writeFile(path, bytes);
  return path;
}

void copyTree(const std::string& from, const std::string& to) {
  platform::makeDirectory(to);
  for (const std::string& name : platform::listDirectory(from, platform::EntryKind::Directories))
    copyTree(from + "\\" + name, to + "\\" + name);
  for (const std::string& name : platform::listDirectory(from, platform::EntryKind::Files))
    platform::copyFile(from + "\\" + name, to + "\\" + name);
}

}  // namespace zunka::testing
