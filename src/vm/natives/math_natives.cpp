#include "vm/natives/math_natives.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/clock.h"
#include "vm/errors.h"
#include "vm/runtime.h"

namespace zunka::vm {

namespace random {
namespace {
constexpr uint32_t kInitialState = 0x75BD924;
uint32_t& gState() {
  return machine().randomState;
}
}  // namespace

void seed(int32_t seed) {
  gState() = (uint32_t(seed) & 0xFFFFFF) ^ kInitialState;
}
uint32_t next() {
  return gState() = (gState() * 48828125u) & 0x3FFFFFFF;
}
uint32_t state() {
  return gState();
}
void setState(uint32_t state) {
  gState() = state;
}
}  // namespace random

double octantAngle(double x, double y) {
  if (std::fabs(x) < 0.0001 && std::fabs(y) < 0.0001) x = 1;
  double sign = 1;
  if (y < 0) {
    y = -y;
    sign = -1;
  }
  double a;
  if (x > 0)
    a = x > y ? (y / x) * 45 : 90 - (x / y) * 45;
  else
    a = -x > y ? 180 - (y / -x) * 45 : 90 + (-x / y) * 45;
  return a * sign;
}

namespace {

// sin and cos of every whole degree, computed once.
struct DegreeTables {
  std::array<double, 360> sine, cosine;
  DegreeTables() {
    for (int i = 0; i < 360; ++i) {
      double r = i / 180.0 * M_PI;
      sine[i] = std::sin(r);
      cosine[i] = std::cos(r);
    }
    // Exact values where the floating-point functions miss them by an ulp.
    for (int i = 0; i < 360; i += 90) {
      sine[i] = std::round(sine[i]);
      cosine[i] = std::round(cosine[i]);
    }
  }
};
const DegreeTables& tables() {
  static const DegreeTables t;
  return t;
}

int degreeIndex(const TValue& v) {
  int64_t d = toInt(v);
  if (d < 0) d = 360 - ((-d) % 360);
  return int(d % 360);
}

ZUNKA_NATIVE(nativeSin) {
  if (argc >= 1) setFloat(*target, float(tables().sine[degreeIndex(nativeArg(target, 1))]));
}
ZUNKA_NATIVE(nativeCos) {
  if (argc >= 1) setFloat(*target, float(tables().cosine[degreeIndex(nativeArg(target, 1))]));
}
ZUNKA_NATIVE(nativeAngle) {
  if (argc >= 2)
    setFloat(*target,
             float(octantAngle(toFloat(nativeArg(target, 1)), toFloat(nativeArg(target, 2)))));
}
ZUNKA_NATIVE(nativeDist) {
  if (argc < 2) return;
  double x = toFloat(nativeArg(target, 1)), y = toFloat(nativeArg(target, 2));
  setFloat(*target, float(std::sqrt(x * x + y * y)));
}
ZUNKA_NATIVE(nativeSqrt) {
  if (argc < 1) return;
  double x = toFloat(nativeArg(target, 1));
  if (x >= 0)
    setFloat(*target, float(std::sqrt(x)));
  else
    setNull(*target);
}
ZUNKA_NATIVE(nativeTrunc) {
  if (argc >= 1) setInt(*target, truncToInt(toFloat(nativeArg(target, 1))));
}
ZUNKA_NATIVE(nativeFloor) {
  if (argc < 1) return;
  double x = toFloat(nativeArg(target, 1));
  int32_t t = truncToInt(x);
  if (x - t < 0) --t;
  setInt(*target, t);
}
ZUNKA_NATIVE(nativeGetTime) {
  setInt(*target, int32_t(platform::tickCount()));
}
ZUNKA_NATIVE(nativeRandomize) {
  if (argc >= 1) random::seed(toInt(nativeArg(target, 1)));
}
ZUNKA_NATIVE(nativeRnd) {
  if (argc < 1) {
    setFloat(*target, float(double(random::next()) / double(1u << 30)));
    return;
  }
  int32_t n = toInt(nativeArg(target, 1));
  if (n < 1) {
    setInt(*target, 0);
    return;
  }
  uint32_t c = (1u << 30) / uint32_t(n);
  if (c == 0) {
    // Wider than the generator's 30 bits: two draws make 60, divided into n equal
    // steps as below (the generator's high bits decide), and a draw past the last
    // whole step is drawn again, so every result is equally likely.
    uint64_t step = (uint64_t(1) << 60) / uint64_t(n), q;
    do q = (uint64_t(random::next()) << 30 | random::next()) / step;
    while (q >= uint64_t(n));
    setInt(*target, int32_t(q));
    return;
  }
  uint32_t q;
  do q = random::next() / c;
  while (q >= uint32_t(n));
  setInt(*target, int32_t(q));
}

bool allDigits(const std::string& s, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

ZUNKA_NATIVE(nativeValueOf) {
  if (argc < 1) return;
  std::string text = toText(nativeArg(target, 1));
  size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  size_t dot = text.find('.', start);
  // -?[0-9]*\.[0-9]+ : a float
  if (dot != std::string::npos && dot + 1 < text.size() && allDigits(text, start, dot) &&
      allDigits(text, dot + 1, text.size())) {
    setFloat(*target, float(std::strtod(text.c_str(), nullptr)));
    return;
  }
  // -?[0-9]+ : an integer, which must fit in 32 bits
  if (start < text.size() && allDigits(text, start, text.size())) {
    errno = 0;
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
      throw ERuntimeError("'" + text + "' is not a valid integer value");
    setInt(*target, int32_t(v));
    return;
  }
  setNull(*target);
}

constexpr NativeEntry kMathNatives[] = {
    {"sin", nativeSin},     {"cos", nativeCos},         {"angle", nativeAngle},
    {"dist", nativeDist},   {"sqrt", nativeSqrt},       {"trunc", nativeTrunc},
    {"floor", nativeFloor}, {"getTime", nativeGetTime}, {"_n_randomize", nativeRandomize},
    {"rnd", nativeRnd},     {"valueOf", nativeValueOf},
};

}  // namespace

std::span<const NativeEntry> mathNatives() {
  return kMathNatives;
}

}  // namespace zunka::vm
