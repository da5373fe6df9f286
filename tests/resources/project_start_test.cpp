#include "resources/kernel_world.h"

#include "resources/page_hash.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "shell/host_state.h"
#include "shell/page_host.h"
#include "vm/natives/math_natives.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using ProjectStartTest = KernelWorldTest;

std::string usrProject(std::string_view params) {
  return "<resourcelist name=\"project\">\r\n <resourcelist name=\"pages\">\r\n"
         "  <page name=\"$page_intro\" src=\"intro.cmml\"/>\r\n"
         "  <page name=\"$page_title\" src=\"title.cmml\"/>\r\n </resourcelist>\r\n"
         " <resourcelist name=\"params\">" +
         std::string(params) + "</resourcelist>\r\n</resourcelist>\r\n";
}

}  // namespace

TEST_F(ProjectStartTest, TheBundledProjectOpensOnItsMainPageUnderItsTitle) {
  write("Usr\\default.zunkaprj",
        usrProject("<param name=\"mainPage\" value=\"$page_title\"/>"
                   "<param name=\"title\" value=\"Ball Game\"/><param name=\"version\" "
                   "value=\" 2\"/><param name=\"helpfile\" value=\"help\\index.html\"/>"));
  write("Usr\\intro.cmml", "<resourcelist name=\"intro\"/>");
  std::string title = write("Usr\\title.cmml", "<resourcelist name=\"title\"/>");
  kernel->loadProject();
  EXPECT_EQ(projectState().fileToOpen, title);
  EXPECT_EQ(projectState().helpFile, path("help\\index.html"));
  EXPECT_EQ(global("$_emChar"), "1");
  EXPECT_EQ(global("$_editMode"), "1");

  kernel->startPage(projectState().fileToOpen);
  EXPECT_TRUE(hostState().root());
  EXPECT_FALSE(projectState().designMode);
  EXPECT_EQ(countContaining(console.logLines, "Loading Page " + title),
            2);  // loaded, then reloaded
  frames(1);
  EXPECT_EQ(console.printed, (std::vector<std::string>{"execute"}));
  kernel->afterStart();
  EXPECT_EQ(projectState().applicationTitle, "Ball Game 2");
  EXPECT_EQ(global("$fullScreen"), "0");
  EXPECT_TRUE(console.errors.empty()) << console.errors.front();
}

TEST_F(ProjectStartTest, WithoutAMainPageTheFirstPageOpensAndTheCaptionIsTheSystemsName) {
  write("Usr\\default.zunkaprj", usrProject(""));
  std::string intro = write("Usr\\intro.cmml", "<resourcelist name=\"intro\"/>");
  kernel->loadProject();
  EXPECT_EQ(projectState().fileToOpen, intro);
  projectState().fileToOpen = "\\elsewhere\\named.cmml";  // a page named on the command line wins
  kernel->loadProject();
  EXPECT_EQ(projectState().fileToOpen, "\\elsewhere\\named.cmml");
  kernel->afterStart();
  EXPECT_EQ(projectState().applicationTitle, "Zunka System");
}

TEST_F(ProjectStartTest, TheKernelsIdentityIsThePageHashOfItsFilesWorkedOutWhenFirstAskedFor) {
  std::vector<std::string> files = projectState().kernelFiles;
  ASSERT_GT(files.size(), 10u);
  EXPECT_EQ(files.front(), path("kernel\\resource.zunkares"));
  EXPECT_EQ(projectState().debugFileList, files);
  EXPECT_FALSE(projectState().kernelId);  // the boot did not hash them
  // Yet scripts find the generator where hashing them leaves it.
  uint32_t afterBoot = vm::random::state();
  vm::random::setState(1);
  int32_t hash = PageHash(files);
  EXPECT_EQ(vm::random::state(), afterBoot);

  vm::random::setState(2);
  EXPECT_EQ(KernelId(), hash);
  EXPECT_EQ(vm::random::state(), 2u);  // asking leaves the generator alone
  EXPECT_NE(hash, 0);
  // Opening a project changes the file list, not the kernel's identity.
  write("Usr\\default.zunkaprj", usrProject(""));
  write("Usr\\intro.cmml", "<resourcelist name=\"intro\"/>");
  kernel->loadProject();
  kernel->startPage(projectState().fileToOpen);
  EXPECT_EQ(projectState().debugFileList.front(), "$$$project files");
  EXPECT_EQ(projectState().kernelFiles, files);
  projectState().kernelId.reset();
  EXPECT_EQ(KernelId(), hash);
}

TEST_F(ProjectStartTest, BootWiresPageRequestsIntoTheFrameLoop) {
  write("game\\a.cmml", "<resourcelist name=\"a\"/>");
  KernelPages pages;
  EXPECT_FALSE(pages.hasRequest());
  projects().RequestPage(path("game\\a.cmml"), false);
  EXPECT_TRUE(pages.hasRequest());
  pages.processRequest();
  EXPECT_TRUE(hostState().root());
  // Opening the project replaced the file list with the project's.
  EXPECT_EQ(projectState().debugFileList.front(), "$$$project files");
}
