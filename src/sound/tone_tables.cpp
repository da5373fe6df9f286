#include "sound/tone_tables.h"

#include <cmath>
#include <numbers>

namespace zunka::sound {

const std::array<int32_t, kToneCount> kTonePeriods = {
    3421, 3228, 3047, 2876, 2715, 2562, 2419, 2283, 2155, 2034, 1920, 1812, 1711, 1614, 1524, 1438,
    1358, 1281, 1210, 1142, 1078, 1017, 960,  906,  855,  807,  762,  719,  679,  641,  605,  571,
    539,  509,  480,  453,  428,  404,  381,  360,  339,  320,  302,  285,  269,  254,  240,  227,
    214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113,  107,  101,  95,   90,
    85,   80,   76,   71,   67,   64,   60,   57,   53,   50,   48,   45,   42,   40,   38,   36,
    34,   32,   30,   28,   27,   25,   24,   22,   21,   20,   19,   18,   17,   16,   15,   14};

const std::array<int32_t, kToneCount>& pitchTable() {
  static const std::array<int32_t, kToneCount> table = [] {
    std::array<int32_t, kToneCount> t{};
    // In floating point, in this order, then truncated: the table the music
    // files were tuned against.
    for (int i = 0; i < kToneCount; ++i)
      t[i] = static_cast<int32_t>(7330908160.0 / kTonePeriods[i] * 65536.0 / 44100.0);
    return t;
  }();
  return table;
}

const std::array<int8_t, kSineLength>& sineTable() {
  static const std::array<int8_t, kSineLength> table = [] {
    std::array<int8_t, kSineLength> t{};
    for (int i = 0; i < kSineLength; ++i)
      t[i] =
          static_cast<int8_t>(std::trunc(127.0 * std::sin(2 * std::numbers::pi * i / kSineLength)));
    return t;
  }();
  return table;
}

}  // namespace zunka::sound
