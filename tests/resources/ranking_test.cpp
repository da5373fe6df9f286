// The ranking client: the request text, its signature, the schemes it refuses and
// how often it lets the browser open; through the natives, on a clock the test moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/project_state.h"
#include "resources/ranking_client.h"
#include "resources/ranking_natives.h"
#include "resources/resources_state.h"
#include "support/native_call.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// The signature worked out the long way: 64-bit sums reduced only at the end,
// the key's halves taken by division.
uint32_t slowSignature(const std::vector<std::string>& entries, uint64_t key) {
  uint64_t lo = key % 65536, hi = key / 65536 % 65536;
  uint64_t combined = 0;
  for (const std::string& s : entries) {
    uint64_t sum = 0;
    for (size_t p = 1; p <= s.size(); ++p)
      sum += uint64_t(static_cast<unsigned char>(s[p - 1])) * p * (p % 2 == 1 ? lo : hi);
    combined ^= (sum % 65536) * 5 % 65536;
  }
  return uint32_t(combined);
}

TEST(RankingClient, RequestTextListsTheEntriesInOrderAndSignsThem) {
  RankingClient r;
  uint32_t key = RankingClient::keyFor(0, 0);
  EXPECT_EQ(r.requestText("http://rank.example/p", key), "http://rank.example/p?ID=0");
  r.setParam("score", "100");
  r.setParam("name", "abc");
  std::vector<std::string> entries{"score=100", "name=abc"};
  EXPECT_EQ(r.entries(), entries);
  EXPECT_EQ(
      r.requestText("http://rank.example/p", key),
      "http://rank.example/p?score=100&name=abc&ID=" + std::to_string(slowSignature(entries, key)));
}

TEST(RankingClient, SignatureMatchesTheLongWayForAnyKeyAndBytes) {
  // "ab" under the bare signing key by hand: 97·1·0x17B3 + 98·2·0x9C4A = 8430459,
  // 41851 modulo 65536, times 5 is 12647 modulo 65536.
  EXPECT_EQ(RankingClient::signature({"ab"}, RankingClient::kSigningKey), 12647);
  EXPECT_EQ(RankingClient::signature({}, 12345), 0);
  const std::vector<std::vector<std::string>> lists = {
      {"score=100", "name=abc"},
      {"name=\x93\xFA\x96\x7B", "x=" + std::string(300, '\xFF')},  // high bytes, long entry
      {"a=1", "a=1"},                                              // equal entries cancel
  };
  for (int32_t app : {0, 1, -1, 0x12345678})
    for (int32_t kernel : {0, 7, int32_t(0x80000000)})
      for (const auto& list : lists) {
        uint32_t key = RankingClient::keyFor(app, kernel);
        EXPECT_EQ(key, 0x9C4A17B3u ^ uint32_t(app) ^ uint32_t(kernel));
        EXPECT_EQ(RankingClient::signature(list, key), slowSignature(list, key));
      }
}

TEST(RankingClient, ANameSetTwiceKeepsItsFirstPlaceAndAnEmptyValueRemovesIt) {
  RankingClient r;
  r.setParam("score", "1");
  r.setParam("name", "abc");
  r.setParam("score", "2");
  EXPECT_EQ(r.entries(), (std::vector<std::string>{"score=2", "name=abc"}));
  r.setParam("sc", "3");  // a name that is the start of another is another name
  r.setParam("score", "");
  EXPECT_EQ(r.entries(), (std::vector<std::string>{"name=abc", "sc=3"}));
  r.clearParam();
  EXPECT_TRUE(r.entries().empty());
}

TEST(RankingClient, AddressesForTheBrowserCarryTheSignedBytesPercentEncoded) {
  EXPECT_EQ(browserAddress("http://a/?n=\x93\xFA x&ID=1"), "http://a/?n=%93%FA%20x&ID=1");
}

// The natives, with a browser that records what it was asked to open and a clock
// in minutes that the test moves.
class RankingNatives : public ::testing::Test {
 protected:
  struct Browser final : BrowserHost {
    std::vector<std::string> opened;
    double now = 100;
    void open(const std::string& address) override { opened.push_back(address); }
    double minutes() const override { return now; }
  };
  void SetUp() override {
    resourcesState().ranking = RankingClient();
    projectState().kernelId = 0x2468;
    playerHosts().setBrowser(&browser);
    VmWorld::get().console.clear();
  }
  void TearDown() override {
    playerHosts().setBrowser(nullptr);
    projectState().kernelId.reset();
    resourcesState().ranking = RankingClient();
  }
  void call(const char* name, std::initializer_list<vm::TValue> args) {
    vm::TValue result = callNative(findNative(rankingNatives(), name), {}, args);
    vm::release(result);
  }
  // A new string is made at count 0 and the next one may reuse its record: each
  // is held from the moment it is made until the call is over.
  static vm::TValue held(vm::TValue v) {
    vm::retain(v);
    return v;
  }
  void setParam(const char* name, vm::TValue value) {
    vm::TValue n = held(vm::newString(name));
    call("_n_setParam", {vm::TValue::ofInt(0), n, value});
    vm::release(n);
  }
  void setParam(const char* name, const char* value) {
    vm::TValue v = held(vm::newString(value));
    setParam(name, v);
    vm::release(v);
  }
  void open(const char* url) { call("_n_openBrowser", {vm::TValue::ofInt(0), vm::newString(url)}); }
  const std::vector<std::string>& errors() { return VmWorld::get().console.errors; }
  Browser browser;
};

TEST_F(RankingNatives, OpenSignsWithTheKernelsKeyAndUsesUpTheParameters) {
  setParam("score", vm::TValue::ofInt(100));
  setParam("name", "abc");
  open("http://rank.example/p");
  uint32_t key = 0x9C4A17B3u ^ 0x2468u;  // no project open: the application's ID is 0
  ASSERT_EQ(browser.opened.size(), 1u);
  EXPECT_EQ(browser.opened[0], "http://rank.example/p?score=100&name=abc&ID=" +
                                   std::to_string(slowSignature({"score=100", "name=abc"}, key)));
  open("http://rank.example/p");
  EXPECT_EQ(browser.opened.back(), "http://rank.example/p?ID=0");
  EXPECT_TRUE(errors().empty());
}

TEST_F(RankingNatives, OnlyPlainLowerCaseHttpIsOpenedAndARefusalKeepsTheParameters) {
  setParam("score", vm::TValue::ofInt(5));
  for (const char* url : {"https://rank.example/p", "HTTP://rank.example/p", "rank.example"})
    open(url);
  EXPECT_TRUE(browser.opened.empty());
  EXPECT_EQ(errors(), std::vector<std::string>(3, "URLはhttp://で始めてください"));
  open("http://rank.example/p");
  ASSERT_EQ(browser.opened.size(), 1u);
  EXPECT_TRUE(browser.opened[0].starts_with("http://rank.example/p?score=5&ID="));
}

TEST_F(RankingNatives, SixOpensAMinuteThenTheBudgetRefillsAfterAMinute) {
  // Times in 64ths of a minute are exact in binary, so "a minute" is exactly one.
  for (int i = 0; i < 7; ++i) {
    setParam("try", vm::TValue::ofInt(i));
    open("http://rank.example/p");
    browser.now += 1.0 / 64;  // seven opens within ten seconds
  }
  EXPECT_EQ(browser.opened.size(), 6u);
  EXPECT_EQ(errors(), std::vector<std::string>{"ブラウザは1分間に6回しか開けません"});
  // The refused open kept its parameter. One minute after the last open is not
  // yet more than a minute; a moment later the budget is whole again.
  double lastOpen = 100 + 5.0 / 64;
  browser.now = lastOpen + 1;
  open("http://rank.example/p");
  EXPECT_EQ(browser.opened.size(), 6u);
  EXPECT_EQ(errors().size(), 2u);
  browser.now = lastOpen + 1 + 1.0 / 1024;
  for (int i = 0; i < 6; ++i) open("http://rank.example/p");
  ASSERT_EQ(browser.opened.size(), 12u);
  EXPECT_TRUE(browser.opened[6].starts_with("http://rank.example/p?try=6&ID="));
  EXPECT_EQ(errors().size(), 2u);
}

TEST_F(RankingNatives, TooFewArgumentsDoNothing) {
  call("_n_setParam", {vm::TValue::ofInt(0), vm::newString("a")});
  call("_n_openBrowser", {vm::TValue::ofInt(0)});
  EXPECT_TRUE(resourcesState().ranking.entries().empty());
  EXPECT_TRUE(browser.opened.empty());
  EXPECT_TRUE(errors().empty());
}

}  // namespace
