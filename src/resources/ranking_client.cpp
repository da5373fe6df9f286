#include "resources/ranking_client.h"

#include <algorithm>

namespace zunka {

void RankingClient::setParam(std::string_view name, std::string_view value) {
  std::string prefix = std::string(name) + "=";
  auto same = std::find_if(entries_.begin(), entries_.end(),
                           [&](const std::string& e) { return e.starts_with(prefix); });
  if (value.empty()) {
    if (same != entries_.end()) entries_.erase(same);
    return;
  }
  if (same != entries_.end())
    *same = prefix + std::string(value);
  else
    entries_.push_back(prefix + std::string(value));
}

uint32_t RankingClient::keyFor(int32_t applicationId, int32_t kernelId) {
  return kSigningKey ^ uint32_t(applicationId) ^ uint32_t(kernelId);
}

// Each entry sums byte × position × (the key's low half at odd positions, its
// high half at even ones), the sum is multiplied by 5 once the entry's bytes are
// done, and the entries are combined by XOR; all of it modulo 65536.
uint16_t RankingClient::signature(const std::vector<std::string>& entries, uint32_t key) {
  const uint32_t lo = key & 0xFFFF, hi = key >> 16;
  uint16_t combined = 0;
  for (const std::string& entry : entries) {
    uint32_t d = 0;
    for (size_t i = 0; i < entry.size(); ++i) {
      uint32_t position = uint32_t(i + 1);
      uint32_t byte = static_cast<unsigned char>(entry[i]);
      d = (d + byte * position * (position % 2 ? lo : hi)) & 0xFFFF;
    }
    combined ^= uint16_t(d * 5);
  }
  return combined;
}

std::string RankingClient::requestText(std::string_view url, uint32_t key) const {
  std::string text = std::string(url) + "?";
  for (const std::string& entry : entries_) text += entry + "&";
  return text + "ID=" + std::to_string(signature(entries_, key));
}

// The budget comes back whole once the time since the last open would have
// earned back what was used at six opens a minute.
void RankingClient::refill(double nowMinutes) {
  double elapsed = nowMinutes - lastOpenMinutes_;
  if (elapsed * kOpensPerMinute > kOpensPerMinute - budget_) budget_ = kOpensPerMinute;
}

RankingClient::Outcome RankingClient::open(std::string_view url, uint32_t key, double nowMinutes,
                                           std::string& request) {
  request = requestText(url, key);
  if (!request.starts_with("http://")) return Outcome::NotHttp;
  refill(nowMinutes);
  if (budget_ <= 0) return Outcome::TooOften;
  --budget_;
  lastOpenMinutes_ = nowMinutes;
  entries_.clear();
  return Outcome::Opened;
}

std::string browserAddress(std::string_view request) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address;
  for (char c : request) {
    auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      address += c;
    } else {
      address += '%';
      address += kHex[byte >> 4];
      address += kHex[byte & 15];
    }
  }
  return address;
}

}  // namespace zunka
