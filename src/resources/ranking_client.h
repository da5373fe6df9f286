#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// What a game posts to a ranking site: name=value parameters in the order they
// were first set, signed with a 16-bit keyed checksum and appended to an http://
// address that the desktop's browser then opens. Opening is rate-limited so that
// a script in a loop cannot flood the desktop with browser windows.
class RankingClient {
 public:
  // The signing key "$9C4A17B3" as the hexadecimal number it reads as.
  static constexpr uint32_t kSigningKey = 0x9C4A17B3u;
  static constexpr int32_t kOpensPerMinute = 6;

  enum class Outcome { Opened, NotHttp, TooOften };

  // Sets the entry of `name` to `value`: a new name goes at the end, a known one
  // keeps its place; an empty value removes the entry.
  void setParam(std::string_view name, std::string_view value);
  void clearParam() { entries_.clear(); }
  // "name=value" texts, in order.
  const std::vector<std::string>& entries() const { return entries_; }

  // The key of a game: the signing key XOR the application's and the kernel's IDs.
  static uint32_t keyFor(int32_t applicationId, int32_t kernelId);
  // The checksum of `entries` under `key`; 0 for no entries.
  static uint16_t signature(const std::vector<std::string>& entries, uint32_t key);
  // `url`, "?", every entry followed by "&", "ID=" and the signature in decimal.
  std::string requestText(std::string_view url, uint32_t key) const;

  // Builds the request for `url` and, unless refused, takes one open from the
  // budget and empties the parameters; `request` receives the text either way.
  // `nowMinutes` is the player's clock. A refusal keeps the parameters, so the
  // script may try again.
  Outcome open(std::string_view url, uint32_t key, double nowMinutes, std::string& request);

  int32_t budget() const { return budget_; }

 private:
  void refill(double nowMinutes);

  std::vector<std::string> entries_;
  int32_t budget_ = kOpensPerMinute;
  double lastOpenMinutes_ = 0;
};

// The request as an address the browser accepts: bytes outside printable ASCII
// (Shift_JIS characters, spaces) percent-encoded, so that the site receives the
// very bytes that were signed.
std::string browserAddress(std::string_view request);

}  // namespace zunka
