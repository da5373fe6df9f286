// Where the player finds its kernel library: --base, the build tree (the
// executable beside kernel/), the installed tree (bin/ beside share/zunka/kernel/).
#include "app/system_directory.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

using namespace zunka;
using namespace zunka::app;
using zunka::testing::TempDir;

namespace {

// Writes a file (its folders made) below the directory; `relative` in host form.
void put(const TempDir& dir, const std::string& relative) {
  std::string path = platform::systemPath(dir.host() + "/" + relative);
  platform::makeDirectory(path.substr(0, path.rfind('\\')));
  platform::writeFile(path, "");
}

void addKernel(const TempDir& dir, const std::string& relative) {
  put(dir, relative + "/kernel/resource.zunkares");
}

}  // namespace

TEST(SystemDirectory, TheBuildTreeHoldsItsKernelBesideTheExecutable) {
  TempDir build;
  addKernel(build, ".");
  SystemDirectory found = locateSystemDirectory("", build.host());
  EXPECT_EQ(found.path, build.host());
  EXPECT_FALSE(found.installed);
  EXPECT_TRUE(holdsKernel(build.host()));
}

TEST(SystemDirectory, AnInstalledPlayerFindsShareZunkaBesideBin) {
  TempDir prefix;
  put(prefix, "bin/zunka");
  addKernel(prefix, "share/zunka");
  SystemDirectory found = locateSystemDirectory("", prefix.host() + "/bin");
  EXPECT_EQ(found.path, prefix.host() + "/share/zunka");
  EXPECT_TRUE(found.installed);
  // Games written on case-insensitive hosts spell it as they like.
  TempDir other;
  put(other, "bin/zunka");
  put(other, "share/zunka/Kernel/Resource.zunkares");
  EXPECT_TRUE(locateSystemDirectory("", other.host() + "/bin").installed);
}

TEST(SystemDirectory, BaseWinsAndIsNeverTakenForAnInstalledTree) {
  TempDir prefix, base;
  addKernel(prefix, "share/zunka");
  put(prefix, "bin/zunka");
  SystemDirectory found = locateSystemDirectory(base.host(), prefix.host() + "/bin");
  EXPECT_EQ(found.path, base.host());
  EXPECT_FALSE(found.installed);
  EXPECT_FALSE(holdsKernel(base.host()));
}

TEST(SystemDirectory, WithoutAKernelTheMessageSaysWhereItLookedAndWhatToDo) {
  TempDir prefix;
  put(prefix, "bin/zunka");
  SystemDirectory found = locateSystemDirectory("", prefix.host() + "/bin");
  EXPECT_EQ(found.path, prefix.host() + "/bin");
  EXPECT_FALSE(holdsKernel(found.path));
  std::string message = missingKernelMessage("", prefix.host() + "/bin");
  EXPECT_NE(message.find(prefix.host() + "/bin/kernel/resource.zunkares"), std::string::npos)
      << message;
  EXPECT_NE(message.find("share/zunka/kernel/resource.zunkares"), std::string::npos) << message;
  EXPECT_NE(message.find("reinstall zunka"), std::string::npos) << message;
  EXPECT_NE(message.find("--base DIR"), std::string::npos) << message;
  std::string base = missingKernelMessage("/tmp/game", prefix.host() + "/bin");
  EXPECT_NE(base.find("/tmp/game/kernel/resource.zunkares"), std::string::npos) << base;
}
