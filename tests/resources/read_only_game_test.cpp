// A game whose folder takes no writes, as scripts see it: what the game saves (the
// files folder, guarded files, panels) goes to the mirror of its folder in the
// user's data directory, reads find the user's copy first and the game's own file
// after it, and nothing in the game's folder changes.
#include <unistd.h>

#include "platform/files.h"
#include "platform/host_path.h"
#include "resources/files_folder.h"
#include "resources/guarded_file.h"
#include "resources/kernel_world.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_stream_natives.h"
#include "resources/resource_tree.h"
#include "resources/user_storage.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using Lines = std::vector<std::string>;

class ReadOnlyGame : public KernelWorldTest {
 protected:
  void SetUp() override {
    KernelWorldTest::SetUp();
    platform::makeDirectory(path("game"));
    resourceTree().workDir = path("game");
    // The game's folder as an installed game's: never written, whatever the host allows.
    userStorage() = UserStorage{};
    userStorage().dataHome = data.system();
    userStorage().readOnlyFolders = {path("game")};
    mirror = UserDataFolder(path("game"));
  }
  void TearDown() override {
    userStorage() = UserStorage{};
    KernelWorldTest::TearDown();
  }
  Lines printed(std::string_view statements) {
    console.clear();
    std::string helpers =
        "function fileReader(n) { var o; o = new FileReader(n); return o; }\n"
        "function fileWriter(n) { var o; o = new FileWriter(n); return o; }\n"
        "function resourceReader(p) { var o; o = new ResourceReader(p); return o; }\n"
        "function resourceWriter(p) { var o; o = new ResourceWriter(p); return o; }\n";
    EXPECT_EQ(run(helpers + std::string(statements)), 0)
        << (console.errors.empty() ? "" : console.errors[0]);
    return console.printed;
  }
  static std::string contents(const std::string& file) {
    std::string bytes;
    return platform::readFile(file, bytes) ? bytes : "(missing)";
  }
  // Every file below the game's folder, as "relative=contents".
  Lines gameFiles() {
    Lines files;
    collect(path("game"), "", files);
    return files;
  }
  void collect(const std::string& dir, const std::string& prefix, Lines& files) {
    for (const std::string& name : platform::listDirectory(dir, platform::EntryKind::Directories))
      collect(dir + "\\" + name, prefix + name + "\\", files);
    for (const std::string& name : platform::listDirectory(dir, platform::EntryKind::Files))
      files.push_back(prefix + name + "=" + contents(dir + "\\" + name));
  }

  TempDir data;
  std::string mirror;
};

}  // namespace

TEST_F(ReadOnlyGame, TheMirrorLiesInTheUsersDataFolderUnderTheGamesKey) {
  EXPECT_EQ(ProjectFolder(), path("game"));
  EXPECT_EQ(mirror, data.system() + "\\zunka\\" + GameKey(path("game")));
  EXPECT_EQ(MirroredPath(path("game\\files\\a.txt"), path("game")), mirror + "\\files\\a.txt");
  EXPECT_EQ(MirroredPath(path("game"), path("game")), mirror);
  EXPECT_EQ(MirroredPath(path("other\\a.txt"), path("game")), "");
  // A game that takes writes keeps its own places.
  userStorage().readOnlyFolders.clear();
  EXPECT_EQ(SavePath(path("game\\files\\a.txt"), path("game")), path("game\\files\\a.txt"));
  EXPECT_EQ(ReadPath(path("game\\files\\a.txt"), path("game")), path("game\\files\\a.txt"));
  EXPECT_EQ(FilesPlaceToWrite(path("game"), path("game")).folder, path("game\\files"));
}

TEST_F(ReadOnlyGame, FilesTheGameWritesGoToTheMirrorAndShadowTheGamesOwn) {
  write("game\\files\\shipped.txt", "shipped");
  Lines before = gameFiles();
  EXPECT_EQ(printed("print(fileExists(\"shipped.txt\") + \",\" + fileExists(\"new.txt\"));\n"
                    "print(fileReader(\"shipped.txt\").readLine());\n"
                    "w = new FileWriter(\"shipped.txt\");\n"
                    "w.writeText(\"mine\");\n"
                    "print(w.close());\n"
                    "print(fileReader(\"shipped.txt\").readLine());\n"
                    "w = new FileWriter(\"new.txt\");\n"
                    "w.writeText(\"new\");\n"
                    "print(w.close());\n"
                    "print(fileExists(\"new.txt\"));\n"),
            (Lines{"1,0", "shipped", "1", "mine", "1", "1"}));
  EXPECT_EQ(contents(mirror + "\\files\\shipped.txt"), "mine");
  EXPECT_EQ(contents(mirror + "\\files\\new.txt"), "new");
  EXPECT_EQ(gameFiles(), before);
}

TEST_F(ReadOnlyGame, OnlyWhatTheGameWroteMovesOrGoes) {
  write("game\\files\\shipped.txt", "shipped");
  Lines before = gameFiles();
  EXPECT_EQ(printed("w = new FileWriter(\"shipped.txt\");\n"
                    "w.writeText(\"mine\");\n"
                    "w.close();\n"
                    "w = new FileWriter(\"new.txt\");\n"
                    "w.writeText(\"new\");\n"
                    "w.close();\n"
                    // The user's copy goes; the game's own shows again and stays.
                    "print(deleteFile(\"shipped.txt\"));\n"
                    "print(fileReader(\"shipped.txt\").readLine());\n"
                    "print(deleteFile(\"shipped.txt\"));\n"
                    "print(moveFile(\"shipped.txt\", \"elsewhere.txt\"));\n"
                    // A name the game's folder holds is taken.
                    "print(moveFile(\"new.txt\", \"shipped.txt\"));\n"
                    "print(moveFile(\"new.txt\", \"moved.txt\"));\n"
                    "print(fileExists(\"new.txt\") + \",\" + fileExists(\"moved.txt\"));\n"),
            (Lines{"1", "shipped", "0", "0", "0", "1", "0,1"}));
  EXPECT_EQ(contents(mirror + "\\files\\moved.txt"), "new");
  EXPECT_FALSE(platform::fileExists(mirror + "\\files\\shipped.txt"));
  EXPECT_EQ(gameFiles(), before);
}

TEST_F(ReadOnlyGame, GuardedFilesAreSavedInTheMirrorAtTheirPlace) {
  std::string shipped = std::string(kGuardedHeader) + "\x05\0\0\0";
  shipped.resize(kGuardedHeaderBytes + 4);
  write("game\\data\\level.dat", shipped);
  write("game\\plain.dat", "just some text that is long enough to fill a header of ninety-six");
  Lines before = gameFiles();
  EXPECT_EQ(printed("print(resourceReader(\"data\\\\level.dat\").readInt());\n"
                    "w = new ResourceWriter(\"data\\\\level.dat\");\n"
                    "w.writeInt(9);\n"
                    "print(w.close());\n"
                    "print(resourceReader(\"data\\\\level.dat\").readInt());\n"
                    "w = new ResourceWriter(\"files\\\\scores.dat\");\n"
                    "w.writeInt(120);\n"
                    "print(w.close());\n"
                    "print(resourceReader(\"files\\\\scores.dat\").readInt());\n"
                    // What the game came with is judged as before: not a guarded file.
                    "print(resourceWriter(\"plain.dat\").isOpen());\n"),
            (Lines{"5", "1", "9", "1", "120", "0"}));
  EXPECT_EQ(contents(mirror + "\\data\\level.dat").substr(kGuardedHeaderBytes),
            std::string("\x09\0\0\0", 4));
  EXPECT_EQ(contents(mirror + "\\files\\scores.dat").substr(kGuardedHeaderBytes),
            std::string("\x78\0\0\0", 4));
  EXPECT_FALSE(platform::fileExists(mirror + "\\plain.dat"));
  EXPECT_EQ(gameFiles(), before);
}

TEST_F(ReadOnlyGame, WithoutADataFolderSavesFailAndTheGameStillReads) {
  userStorage().dataHome.clear();
  write("game\\files\\shipped.txt", "shipped");
  Lines before = gameFiles();
  EXPECT_EQ(printed("print(fileReader(\"shipped.txt\").readLine());\n"
                    "print(fileWriter(\"shipped.txt\").isOpen());\n"
                    "print(resourceWriter(\"files\\\\s.dat\").isOpen());\n"
                    "print(deleteFile(\"shipped.txt\"));\n"),
            (Lines{"shipped", "0", "0", "0"}));
  EXPECT_EQ(gameFiles(), before);
}

TEST_F(ReadOnlyGame, AMirrorThatLinksOutOfTheUsersFolderIsNotWrittenThrough) {
  TempDir outside;
  platform::makeDirectory(mirror);
  std::string host = platform::hostPath(mirror) + "/files";
  ASSERT_EQ(::symlink(outside.host().c_str(), host.c_str()), 0);
  std::string guarded = platform::hostPath(mirror) + "/data";
  ASSERT_EQ(::symlink(outside.host().c_str(), guarded.c_str()), 0);
  outside.write("planted.txt", "planted");
  EXPECT_EQ(printed("print(fileWriter(\"x.txt\").isOpen());\n"
                    "print(fileExists(\"planted.txt\"));\n"
                    "print(resourceWriter(\"data\\\\x.dat\").isOpen());\n"),
            (Lines{"0", "0", "0"}));
  EXPECT_EQ(platform::listDirectory(outside.system()), Lines{"planted.txt"});
}

// A page in a folder the user never opened (a script opened it from elsewhere)
// is treated like an installed game: its saves go to the user's data folder,
// and nothing is made next to it.
TEST_F(ReadOnlyGame, APageOutsideTheOpenedFoldersSavesIntoTheUsersDataFolder) {
  TempDir elsewhere;
  std::string page = elsewhere.system() + "\\game";
  platform::makeDirectory(page);
  resourceTree().workDir = page;
  userStorage().readOnlyFolders.clear();
  EXPECT_FALSE(FolderTakesWrites(page));
  EXPECT_TRUE(FolderTakesWrites(path("game")));  // inside the base directory: opened
  EXPECT_EQ(printed("w = new FileWriter(\"save.txt\");\n"
                    "w.writeText(\"mine\");\n"
                    "print(w.close());\n"
                    "print(fileReader(\"save.txt\").readLine());\n"),
            (Lines{"1", "mine"}));
  EXPECT_EQ(contents(UserDataFolder(page) + "\\files\\save.txt"), "mine");
  EXPECT_FALSE(platform::directoryExists(page + "\\files"));
  // Once the user opens its folder, the page saves beside itself again.
  projectState().openedFolders.push_back(elsewhere.system());
  EXPECT_TRUE(FolderTakesWrites(page));
  projectState().openedFolders.pop_back();
}
