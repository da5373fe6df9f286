#include <gtest/gtest.h>

#include "platform/files.h"
#include "resources/environment_store.h"
#include "support/temp_dir.h"

using namespace zunka;
using namespace zunka::testing;

TEST(EnvironmentStore, ReadsTheCookieFileAndLooksNamesUpIgnoringCase) {
  TempDir dir;
  std::string file = dir.write("Cookies.ini",
                               "env:AutoLoadPage=C:\\game\\a.cmml\r\n[other]\nenv:statusBar=0\r\n"
                               "env:statusbar=1\n");
  TEnvironmentStore store;
  store.Load(file);
  EXPECT_EQ(store.lines().size(), 4u);  // lines that are not settings stay
  EXPECT_EQ(store.GetEnv("autoloadpage"), "C:\\game\\a.cmml");
  EXPECT_EQ(store.GetEnv("statusBar"), "0");  // the first of two spellings
  EXPECT_EQ(store.GetEnv("neverSet"), "");
  EXPECT_EQ(store.GetEnv("other"), "");

  store.Load(dir.system() + "\\missing.ini");
  EXPECT_TRUE(store.lines().empty());
}

TEST(EnvironmentStore, SetReplacesEveryLineOfTheName) {
  TEnvironmentStore store;
  store.SetEnv("RecentPage0", "a.cmml");
  store.SetEnv("RecentPage1", "b.cmml");
  store.SetEnv("RecentPage0", "c.cmml");
  EXPECT_EQ(store.lines(),
            (std::vector<std::string>{"env:RecentPage1=b.cmml", "env:RecentPage0=c.cmml"}));
  // Another spelling of the name replaces it too: GetEnv would read the old line first.
  store.SetEnv("recentpage0", "d=e.cmml");
  EXPECT_EQ(store.GetEnv("RecentPage0"), "d=e.cmml");
  EXPECT_EQ(store.lines().size(), 2u);
  // A name is not a prefix of longer names.
  store.SetEnv("RecentPage", "x");
  EXPECT_EQ(store.GetEnv("RecentPage1"), "b.cmml");
}
