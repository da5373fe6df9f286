// Where the player writes for a game: Temp and the game's own folders when they
// take writes, else the user's cache and data directories, one folder per game.
#include "resources/user_storage.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "platform/files.h"
#include "resources/cache_files.h"
#include "resources/environment_store.h"
#include "resources/resource_tree.h"
#include "support/temp_dir.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

class UserStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saveVariable("XDG_CACHE_HOME", cacheHome.host());
    saveVariable("XDG_DATA_HOME", dataHome.host());
    userStorage() = UserStorage{};
    savedBase = resourceTree().baseDir;
    base = system.system();
    resourceTree().baseDir = base;
  }
  void TearDown() override {
    userStorage() = UserStorage{};
    resourceTree().baseDir = savedBase;
    for (auto& [name, value] : saved) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void saveVariable(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  TempDir system, cacheHome, dataHome;
  std::string base, savedBase;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

}  // namespace

TEST_F(UserStorageTest, GameKeysKeepTheFolderNameAndTellSameNamedFoldersApart) {
  std::string key = GameKey("\\games\\Star Basket");
  EXPECT_EQ(key.substr(0, 11), "StarBasket-");
  EXPECT_EQ(key.size(), 19u);
  EXPECT_EQ(GameKey("\\games\\Star Basket\\"), key);
  // Spellings that name the same folder to the system share the digest.
  EXPECT_EQ(GameKey("\\GAMES\\star basket").substr(10), key.substr(10));
  EXPECT_NE(GameKey("\\cdrom\\Star Basket"), key);
  // Nothing of a name but Shift_JIS, dots or spaces is left: "game" stands in.
  EXPECT_EQ(GameKey("\\games\\\x83\x51\x81\x5B\x83\x80").substr(0, 5), "game-");
  EXPECT_EQ(GameKey("\\games\\..").substr(0, 5), "game-");
  EXPECT_EQ(GameKey("").substr(0, 5), "game-");
}

TEST_F(UserStorageTest, AWritableSystemDirectoryKeepsItsTempFolder) {
  ChooseUserStorage(base, base + "\\Usr", false);
  EXPECT_EQ(userStorage().cacheDir, "");
  EXPECT_EQ(CacheFolder(), base + "\\Temp");
  EXPECT_EQ(CacheFilePath("c121_", base + "\\Usr\\Pad.zunka"), base + "\\Temp\\c121_UsrPadzunka");
  // Only letters, digits, '_' and '@' are kept, and a ".." (a folder outside the
  // game) becomes '@', so that cache names stay plain and distinct.
  EXPECT_EQ(CacheFilePath("c121_", base + "\\Usr\\My-Pad_2 (\x83\x41).zunka"),
            base + "\\Temp\\c121_UsrMyPad_2Azunka");
  EXPECT_EQ(CacheFilePath("c121_", base + "\\..\\Other@\\x.zunka"),
            base + "\\Temp\\c121_@Other@xzunka");
  EXPECT_EQ(userStorage().dataHome, dataHome.system());
  EXPECT_EQ(userStorage().cacheHome, cacheHome.system());
}

TEST_F(UserStorageTest, AnInstalledSystemSendsCachesToTheUsersCacheFolderPerGame) {
  ChooseUserStorage(base, base + "\\Usr", true);
  std::string expected = cacheHome.system() + "\\zunka\\" + GameKey(base + "\\Usr");
  EXPECT_EQ(userStorage().cacheDir, expected);
  EXPECT_FALSE(FolderTakesWrites(base));
  EXPECT_FALSE(FolderTakesWrites(base + "\\Usr"));
  std::string cached = CacheFilePath("c121_", base + "\\Usr\\Pad.zunka");
  EXPECT_EQ(cached, expected + "\\c121_UsrPadzunka");
  EXPECT_TRUE(WriteCacheFile(cached, "x"));  // the folder is made on the first write
  EXPECT_TRUE(platform::directoryExists(expected));
  EXPECT_FALSE(platform::directoryExists(base + "\\Temp"));
  // Another game gets a cache folder of its own.
  ChooseUserStorage(base, "\\media\\cdrom\\game", true);
  EXPECT_NE(userStorage().cacheDir, expected);
}

TEST_F(UserStorageTest, SettingsComeFromTheUsersDataFolderWhenTheSystemCannotBeWritten) {
  platform::makeDirectory(base + "\\Kernel");
  system.write("Kernel\\Cookies.ini", "env:statusBar=0\n");
  ChooseUserStorage(base, base + "\\Usr", false);
  EXPECT_EQ(EnvironmentFilePath(), base + "\\Kernel\\Cookies.ini");
  ChooseUserStorage(base, base + "\\Usr", true);
  EXPECT_EQ(EnvironmentFilePath(), base + "\\Kernel\\Cookies.ini");  // until the user has one
  TEnvironmentStore store;
  store.Load(EnvironmentFilePath());
  EXPECT_EQ(store.GetEnv("statusBar"), "0");
  std::string own = UserDataFolder(base + "\\Usr") + "\\Cookies.ini";
  platform::makeDirectory(UserDataFolder(base + "\\Usr"));
  platform::writeFile(own, "env:statusBar=1\n");
  EXPECT_EQ(EnvironmentFilePath(), own);
  store.Load(EnvironmentFilePath());
  EXPECT_EQ(store.GetEnv("statusBar"), "1");
}

TEST_F(UserStorageTest, WithoutUserFoldersNothingIsRedirected) {
  ::unsetenv("XDG_CACHE_HOME");
  ::unsetenv("XDG_DATA_HOME");
  saveVariable("HOME", "");
  ChooseUserStorage(base, base + "\\Usr", true);
  EXPECT_EQ(userStorage().cacheDir, "");
  EXPECT_EQ(UserDataFolder(base + "\\Usr"), "");
  EXPECT_EQ(MirroredPath(base + "\\Usr\\files\\a", base + "\\Usr"), "");
  EXPECT_EQ(SavePath(base + "\\Usr\\files\\a", base + "\\Usr"), "");
  EXPECT_EQ(ReadPath(base + "\\Usr\\files\\a", base + "\\Usr"), base + "\\Usr\\files\\a");
}

TEST_F(UserStorageTest, OnlyAFolderThatExistsAndIsInNoReadOnlyFolderTakesWrites) {
  ChooseUserStorage(base, base + "\\Usr", false);
  EXPECT_TRUE(FolderTakesWrites(base));
  EXPECT_FALSE(FolderTakesWrites(base + "\\missing"));
  userStorage().readOnlyFolders = {base + "\\Usr"};
  platform::makeDirectory(base + "\\Usr\\sub");
  platform::makeDirectory(base + "\\Usrx");
  EXPECT_FALSE(FolderTakesWrites(base + "\\usr\\sub"));
  EXPECT_TRUE(FolderTakesWrites(base + "\\Usrx"));
  EXPECT_TRUE(FolderTakesWrites(base));
}
