#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

using namespace zunka;
using zunka::testing::TempDir;

namespace {

// Sets (or, with nullopt, removes) an environment variable for the test's span.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

TEST(UserFolders, TheVariablesWinAndTheHomeFolderStandsInForThem) {
  ScopedVariable home("HOME", "/home/mika");
  {
    ScopedVariable data("XDG_DATA_HOME", "/srv/data/");
    ScopedVariable cache("XDG_CACHE_HOME", "/srv/cache");
    EXPECT_EQ(platform::userDataHome(), "\\srv\\data");
    EXPECT_EQ(platform::userCacheHome(), "\\srv\\cache");
  }
  // Unset, empty and relative values all fall back to the home folder.
  ScopedVariable data("XDG_DATA_HOME", std::nullopt);
  ScopedVariable cache("XDG_CACHE_HOME", "");
  EXPECT_EQ(platform::userDataHome(), "\\home\\mika\\.local\\share");
  EXPECT_EQ(platform::userCacheHome(), "\\home\\mika\\.cache");
  ScopedVariable relative("XDG_CACHE_HOME", "cache");
  EXPECT_EQ(platform::userCacheHome(), "\\home\\mika\\.cache");
}

TEST(UserFolders, WithoutAHomeThereIsNoUserFolder) {
  ScopedVariable data("XDG_DATA_HOME", std::nullopt);
  ScopedVariable cache("XDG_CACHE_HOME", std::nullopt);
  ScopedVariable home("HOME", std::nullopt);
  EXPECT_EQ(platform::userDataHome(), "");
  EXPECT_EQ(platform::userCacheHome(), "");
  ScopedVariable relativeHome("HOME", "mika");
  EXPECT_EQ(platform::userDataHome(), "");
}

TEST(UserFolders, AFolderTakesWritesOnlyWhenItExistsAndMayBeWritten) {
  TempDir dir;
  EXPECT_TRUE(platform::directoryTakesWrites(dir.system()));
  EXPECT_FALSE(platform::directoryTakesWrites(dir.system() + "\\missing"));
  std::string file = dir.write("file", "x");
  EXPECT_FALSE(platform::directoryTakesWrites(file));
  platform::makeDirectory(dir.system() + "\\locked");
  ASSERT_EQ(::chmod((dir.host() + "/locked").c_str(), 0555), 0);
  // The superuser may write in any folder of a writable mount.
  EXPECT_EQ(platform::directoryTakesWrites(dir.system() + "\\locked"), ::geteuid() == 0);
  ::chmod((dir.host() + "/locked").c_str(), 0755);
}
