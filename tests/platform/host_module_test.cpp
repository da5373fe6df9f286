// The host module as the player loads it: it answers only to the build it comes
// from, and what it draws is what the same code linked in draws.
#include <gtest/gtest.h>

#include <string>

#include "platform/host_libraries.h"
#include "platform/shared_library.h"

using namespace zunka::platform;

namespace {

HostModuleEntry moduleEntry() {
  std::string error;
  static SharedLibrary module = SharedLibrary::openHostFile(ZUNKA_HOST_MODULE, error);
  EXPECT_TRUE(module.isOpen()) << error;
  return reinterpret_cast<HostModuleEntry>(module.symbol(kHostModuleEntry));
}

TEST(HostModule, AnswersOnlyTheInterfaceAndPlayerVersionItWasBuiltWith) {
  HostModuleEntry entry = moduleEntry();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(kHostInterfaceVersion + 1, ZUNKA_VERSION), nullptr);
  EXPECT_EQ(entry(kHostInterfaceVersion, "0.0.0"), nullptr);
  EXPECT_EQ(entry(kHostInterfaceVersion, ZUNKA_VERSION ".1"), nullptr);
  EXPECT_NE(entry(kHostInterfaceVersion, ZUNKA_VERSION), nullptr);
}

TEST(HostModule, ItsFontsMeasureAndDrawAsTheLinkedOnes) {
  HostModuleEntry entry = moduleEntry();
  ASSERT_NE(entry, nullptr);
  const HostLibraries* loaded = entry(kHostInterfaceVersion, ZUNKA_VERSION);
  std::string error;
  const HostLibraries* linked = hostLibraries(error);
  ASSERT_TRUE(loaded && linked) << error;
  ASSERT_NE(loaded, linked);
  auto loadedFonts = loaded->openFontEngine(error);
  auto linkedFonts = linked->openFontEngine(error);
  ASSERT_TRUE(loadedFonts && linkedFonts) << error;
  std::string file = loadedFonts->fontFile("IPAGothic");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file, linkedFonts->fontFile("IPAGothic"));
  auto a = loadedFonts->open(file, 12, {.bold = true});
  auto b = linkedFonts->open(file, 12, {.bold = true});
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->lineHeight(), b->lineHeight());
  const std::string text = reinterpret_cast<const char*>(u8"Score ほし 105");
  int32_t w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  ASSERT_TRUE(a->measure(text, w1, h1));
  ASSERT_TRUE(b->measure(text, w2, h2));
  EXPECT_EQ(std::make_pair(w1, h1), std::make_pair(w2, h2));
  auto drawn = a->render(text, 0xFFCC00);
  auto expected = b->render(text, 0xFFCC00);
  ASSERT_TRUE(drawn && expected);
  EXPECT_EQ(std::make_pair(drawn->width, drawn->height), std::make_pair(w1, h1));
  EXPECT_EQ(drawn->pixels, expected->pixels);
  EXPECT_FALSE(loadedFonts->open("/no/such/font.ttf", 12, {}));
}

}  // namespace
