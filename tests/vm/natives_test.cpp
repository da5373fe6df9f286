#include <gtest/gtest.h>

#include <memory>

#include <limits>

#include "support/native_call.h"
#include "support/perl_oracle.h"
#include "support/vm_world.h"
#include "vm/hash_table.h"
#include "vm/natives/array_natives.h"
#include "vm/natives/hashtable_natives.h"
#include "vm/natives/math_natives.h"
#include "vm/natives/object_natives.h"
#include "vm/natives/process_natives.h"
#include "vm/natives/string_natives.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

// Keeps a value counted for the length of a test and gives it back on exit.
struct Held {
  TValue v;
  explicit Held(TValue value) : v(value) {}
  ~Held() { release(v); }
  Held(const Held&) = delete;
};

TValue str(std::string_view s) {
  VmWorld::get();  // strings need the string class
  TValue v = newString(s);
  retain(v);
  return v;
}

std::string kindAndText(const TValue& v) {
  static const char* kinds[] = {"null",    "int",  "float", "object",
                                "pointer", "host", "error", "unset"};
  return std::string(kinds[v.kind]) + ":" + toText(v);
}

TValue call(std::span<const NativeEntry> table, const char* name, const TValue& self,
            std::initializer_list<TValue> args) {
  NativeHandler h = findNative(table, name);
  EXPECT_NE(h, nullptr) << name;
  return callNative(h, self, args);
}

std::string math(const char* name, std::initializer_list<TValue> args) {
  Held r(call(mathNatives(), name, TValue{}, args));
  return kindAndText(r.v);
}

void discard(TValue v) {
  release(v);
}

TValue I(int32_t i) {
  return TValue::ofInt(i);
}
TValue F(float f) {
  return TValue::ofFloat(f);
}

}  // namespace

TEST(ArrayNatives, SizeIndexOfAndPack) {
  VmWorld::get();
  auto A = arrayNatives();
  Held list(call(A, "native_init", TValue{}, {}));
  ASSERT_EQ(list.v.kind, vtHost);
  Held three(str("3"));
  for (TValue v : {I(3), three.v, F(3.0f)}) discard(call(A, "native_add", TValue{}, {list.v, v}));
  Held size(call(A, "native_size", TValue{}, {list.v}));
  EXPECT_EQ(kindAndText(size.v), "float:3");
  // The cell is on the left of the comparison: the string "3" cell matches 3,
  // the integer 3 cell does not match the string "3".
  {
    Held r(call(A, "native_indexof", TValue{}, {list.v, I(3)}));
    EXPECT_EQ(kindAndText(r.v), "int:0");
  }
  {
    Held r(call(A, "native_indexof", TValue{}, {list.v, three.v}));
    EXPECT_EQ(kindAndText(r.v), "int:1");
  }
  {
    Held r(call(A, "native_lightindexof", TValue{}, {list.v, F(3.0f)}));
    EXPECT_EQ(kindAndText(r.v), "int:2");
  }
  // pack drops cells whose integer view is 0: null, 0.5, hosts; keeps objects.
  Held packed(call(A, "native_init", TValue{}, {}));
  for (TValue v : {TValue{}, I(0), F(0.5f), TValue::ofRef(vtHost, 1), three.v, I(7)})
    discard(call(A, "native_add", TValue{}, {packed.v, v}));
  TValue ignored = call(A, "_n_pack", TValue{}, {packed.v, TValue{}});
  release(ignored);
  auto* body = hostAs<TValueList>(packed.v.ref);
  ASSERT_EQ(body->count(), 2);
  EXPECT_EQ(toText(body->at(0)), "3");
  EXPECT_EQ(toText(body->at(1)), "7");
}

TEST(ArrayNatives, BadIndexRaisesAndFreedBodiesAreInert) {
  VmWorld::get();
  auto A = arrayNatives();
  Held list(call(A, "native_init", TValue{}, {}));
  EXPECT_THROW(call(A, "native_get", TValue{}, {list.v, I(0)}), EError);
  EXPECT_THROW(call(A, "_n_insert", TValue{}, {list.v, I(1), I(5)}), EError);
  TValue r = call(A, "native_free", TValue{}, {list.v});
  release(r);
  // The freed handle, a forged number and a body of another kind do nothing.
  for (TValue bogus :
       {list.v, TValue::ofRef(vtHost, 0x12345), TValue::ofRef(vtHost, list.v.ref + 1)}) {
    TValue self = I(42);
    Held out(call(A, "native_size", self, {bogus}));
    EXPECT_EQ(kindAndText(out.v), "int:42");
  }
  auto* table = new TAbstractHashtable(false);
  Held wrongKind(call(A, "native_add", I(1), {TValue::ofRef(vtHost, table->handle()), I(2)}));
  EXPECT_EQ(table->size(), 0);
  delete table;
}

TEST(HashTableNatives, PlainTablesCompareKeysLightTablesCompareIdentity) {
  VmWorld::get();
  auto H = hashTableNatives();
  Held plain(call(plainHashTableNatives(), "_n_init", TValue{}, {}));
  Held light(call(lightHashTableNatives(), "_n_init", TValue{}, {}));
  Held k1(str("key")), k2(str("key"));
  for (const Held* t : {&plain, &light}) {
    discard(call(H, "_n_put", TValue{}, {t->v, k1.v, I(1)}));
    discard(call(H, "_n_put", TValue{}, {t->v, k2.v, I(2)}));
  }
  Held plainSize(call(H, "_n_size", TValue{}, {plain.v}));
  Held lightSize(call(H, "_n_size", TValue{}, {light.v}));
  EXPECT_EQ(kindAndText(plainSize.v), "int:1");
  EXPECT_EQ(kindAndText(lightSize.v), "int:2");
  Held got(call(H, "_n_get", TValue{}, {plain.v, k1.v}));
  EXPECT_EQ(kindAndText(got.v), "int:2");
  Held missing(call(H, "_n_get", TValue{}, {plain.v, I(99)}));
  EXPECT_EQ(kindAndText(missing.v), "null:null");
  Held removed(call(H, "_n_remove", TValue{}, {light.v, k1.v}));
  EXPECT_EQ(kindAndText(removed.v), "int:1");
  Held after(call(H, "_n_size", TValue{}, {light.v}));
  EXPECT_EQ(kindAndText(after.v), "int:1");
}

// What a native's lookup (NativeEntry::lookup) answers, as the handler's result
// would print; "declined" where it leaves the call to the handler.
std::string lookedUp(std::span<const NativeEntry> table, const char* name, std::vector<TValue> args,
                     TValue self = TValue{}) {
  for (const NativeEntry& e : table)
    if (std::string_view(e.name) == name && e.lookup) {
      TValue result;
      return e.lookup(self, args.data(), int32_t(args.size()), result) ? kindAndText(result)
                                                                       : "declined";
    }
  return "no lookup";
}

TEST(HashTableNatives, LookupsAnswerAsTheHandlersDo) {
  // The forwarded calls of get and size ask these instead of the handlers: for
  // every kind of key, present or not, they must give what the handler gives.
  VmWorld::get();
  auto H = hashTableNatives();
  Held table(call(plainHashTableNatives(), "_n_init", TValue{}, {}));
  Held abc(str("abc")), otherAbc(str("abc")), five(str("5")), value(str("value"));
  discard(call(H, "_n_put", TValue{}, {table.v, abc.v, I(1)}));
  discard(call(H, "_n_put", TValue{}, {table.v, I(7), value.v}));
  discard(call(H, "_n_put", TValue{}, {table.v, F(2.5f), I(3)}));
  const std::vector<TValue> keys = {abc.v,   otherAbc.v, five.v,   I(7),   I(5),
                                    F(7.0f), F(2.5f),    TValue{}, value.v};
  auto agree = [&](const char* when) {
    for (const TValue& k : keys) {
      Held byHandler(call(H, "_n_get", TValue{}, {table.v, k}));
      EXPECT_EQ(lookedUp(H, "_n_get", {table.v, k}), kindAndText(byHandler.v))
          << when << ", key " << kindAndText(k);
    }
    Held size(call(H, "_n_size", TValue{}, {table.v}));
    EXPECT_EQ(lookedUp(H, "_n_size", {table.v}), kindAndText(size.v)) << when;
  };
  agree("mixed keys");
  // A key string changed in place (its text read again on each probe), then a
  // key of the same text put again.
  stringBodyOf(objectOf(abc.v))->bytes = "xyz";
  agree("a key changed in place");
  discard(call(H, "_n_put", TValue{}, {table.v, otherAbc.v, I(4)}));
  agree("the old text put again");
  // Not a table, or too few arguments: the handler decides.
  EXPECT_EQ(lookedUp(H, "_n_get", {I(3), abc.v}), "declined");
  EXPECT_EQ(lookedUp(H, "_n_get", {table.v}), "declined");
  EXPECT_EQ(lookedUp(H, "_n_put", {table.v, abc.v, I(1)}), "no lookup");
}

TEST(ArrayNatives, LookupsAnswerAsTheHandlersDoAndLeaveBadIndexesToThem) {
  VmWorld::get();
  auto A = arrayNatives();
  Held list(call(A, "native_init", TValue{}, {}));
  Held s(str("s"));
  for (TValue v : {I(10), s.v, F(1.5f)}) discard(call(A, "native_add", TValue{}, {list.v, v}));
  for (TValue i : {I(0), I(1), I(2), F(1.9f), s.v}) {
    Held byHandler(call(A, "native_get", TValue{}, {list.v, i}));
    EXPECT_EQ(lookedUp(A, "native_get", {list.v, i}), kindAndText(byHandler.v)) << toText(i);
  }
  Held size(call(A, "native_size", TValue{}, {list.v}));
  EXPECT_EQ(lookedUp(A, "native_size", {list.v}), kindAndText(size.v));
  // An index outside the list is the handler's error to raise.
  for (TValue i : {I(3), I(-1)}) EXPECT_EQ(lookedUp(A, "native_get", {list.v, i}), "declined");
  EXPECT_EQ(lookedUp(A, "native_get", {I(1), I(0)}), "declined");
  EXPECT_EQ(lookedUp(A, "native_set", {list.v, I(0), I(1)}), "no lookup");
}

TEST(HashTables, IterationSurvivesChangesAndFollowsBuckets) {
  VmWorld::get();
  TAbstractHashtable t(true);
  for (int i = 0; i < 100; ++i) t.put(I(i), I(i * 10));
  t.startFind();
  int seen = 0, removed = 0;
  uint32_t lastBucket = 0;
  while (t.hasNext()) {
    TValue k = t.nextKey();
    uint32_t bucket = t.hashOf(k) / ((1u << 30) / 32);
    EXPECT_GE(bucket, lastBucket);
    lastBucket = bucket;
    // Removing entries while walking must not disturb memory safety.
    if (k.i % 3 == 0) {
      discard(t.remove(k));
      ++removed;
    }
    ++seen;
  }
  // Entries slide into a removed one's place and may be skipped; nothing worse.
  EXPECT_GT(seen, 50);
  EXPECT_EQ(t.size(), 100 - removed);
  EXPECT_EQ(t.nextKey().kind, vtNull);
}

// The buckets alone, as a reference: a lookup scans its bucket for the first key
// comparing equal. The table's index must find exactly what this finds, whatever
// kinds of keys come and go, and iteration must visit keys in the same order.
struct BucketModel {
  bool light;
  std::vector<std::pair<TValue, int32_t>> buckets[32];
  int bucketOf(const TAbstractHashtable& t, const TValue& k) const {
    int b = int(t.hashOf(k) / ((1u << 30) / 32));
    return b >= 32 ? 0 : b;
  }
  bool same(const TValue& a, const TValue& b) const {
    return light ? a.sameBits(b) : compare(a, b) == 0;
  }
  std::pair<TValue, int32_t>* find(const TAbstractHashtable& t, const TValue& k) {
    for (auto& e : buckets[bucketOf(t, k)])
      if (same(e.first, k)) return &e;
    return nullptr;
  }
};

TEST(HashTables, TheIndexFindsWhatTheBucketsFindAsKeysChangeKind) {
  VmWorld::get();
  for (bool light : {false, true}) {
    TAbstractHashtable t(light);
    BucketModel model{light, {}};
    // Numbers whose integer, float or text keys share a bucket (49 and "49", say),
    // and some that do not.
    const int32_t numbers[] = {49, 58, 67, 76, 201, 210, 3, 4};
    std::vector<std::unique_ptr<Held>> strings;
    for (int i = 0; i < 16; ++i)
      strings.push_back(std::make_unique<Held>(str(std::to_string(numbers[i % 8]))));
    auto keyOf = [&](uint32_t r) -> TValue {
      switch (r % 4) {
        case 0:
        case 1:
          return I(numbers[r / 4 % 8]);
        case 2:
          return strings[r / 4 % 16]->v;  // two string objects per text
        default:
          return TValue::ofFloat(float(numbers[r / 4 % 8]));
      }
    };
    uint32_t seed = 12345;
    for (int step = 0; step < 4000; ++step) {
      seed = seed * 1103515245u + 12345u;
      TValue k = keyOf(seed >> 8);
      int op = int(seed >> 28) % 3;
      auto* found = model.find(t, k);
      TValue got = t.get(k);
      ASSERT_EQ(got.kind == vtInt ? got.i : -1, found ? found->second : -1)
          << (light ? "light" : "plain") << " step " << step << " key " << kindAndText(k);
      if (op == 0) {
        t.put(k, I(step));
        if (found) {
          found->first = k;
          found->second = step;
        } else {
          model.buckets[model.bucketOf(t, k)].push_back({k, step});
        }
      } else if (op == 1 && found) {
        discard(t.remove(k));
        auto& b = model.buckets[model.bucketOf(t, k)];
        b.erase(b.begin() + (found - b.data()));
      }
    }
    std::vector<std::string> order, expected;
    for (t.startFind(); t.hasNext();) order.push_back(kindAndText(t.nextKey()));
    for (auto& b : model.buckets)
      for (auto& e : b) expected.push_back(kindAndText(e.first));
    EXPECT_EQ(order, expected);
    EXPECT_EQ(t.size(), int32_t(expected.size()));
  }
}

TEST(HashTables, KeyHashFormulas) {
  VmWorld::get();
  TAbstractHashtable plain(false), light(true);
  Held s(str("ab"));
  uint32_t h = 0;
  for (unsigned char c : std::string("ab")) h = (h - c * 385764491u) & 0x3FFFFFFF;
  EXPECT_EQ(plain.hashOf(s.v), h);
  EXPECT_EQ(plain.hashOf(I(5)), (5u * 0xE3835E85u - 1u * 385764491u) & 0x3FFFFFFF);
  EXPECT_EQ(light.hashOf(s.v), (s.v.ref * 0xE3835E85u - 3u * 385764491u) & 0x3FFFFFFF);
}

TEST(StringNatives, SubstringsClipAndCountCharacters) {
  VmWorld::get();
  auto S = stringNatives();
  Held s(str("hello"));
  EXPECT_EQ(toText(Held(call(S, "native_substring", s.v, {I(1), I(3)})).v), "el");
  EXPECT_EQ(toText(Held(call(S, "native_substring", s.v, {I(3)})).v), "lo");
  EXPECT_EQ(toText(Held(call(S, "native_substring", s.v, {I(3), I(99)})).v), "lo");
  EXPECT_EQ(toText(Held(call(S, "native_substring", s.v, {I(9)})).v), "");
  EXPECT_EQ(kindAndText(Held(call(S, "native_length", s.v, {})).v), "int:5");
  EXPECT_EQ(lookedUp(S, "native_length", {}, s.v), "int:5");
  EXPECT_EQ(kindAndText(Held(call(S, "native_charAt", s.v, {I(1)})).v), "int:101");
  // Out of range: no result, the string itself stays.
  EXPECT_EQ(toText(Held(call(S, "native_charAt", s.v, {I(5)})).v), "hello");
  EXPECT_EQ(toText(Held(call(S, "native_strcat", s.v, {I(7)})).v), "hello7");
  // Two half-width katakana bytes: one character for the length, two for substrings.
  Held kana(str("\xb1\xb2"));
  EXPECT_EQ(kindAndText(Held(call(S, "_n_wlength", kana.v, {})).v), "int:1");
  EXPECT_EQ(toText(Held(call(S, "_n_wsubstring", kana.v, {I(1), I(2)})).v), "\xb2");
  Held mixed(str("表aソ"));
  EXPECT_EQ(kindAndText(Held(call(S, "_n_wlength", mixed.v, {})).v), "int:3");
  EXPECT_EQ(toText(Held(call(S, "_n_wsubstring", mixed.v, {I(1)})).v), "aソ");
  EXPECT_EQ(toText(Held(call(S, "_n_wsubstring", mixed.v, {I(2), I(3)})).v), "ソ");
  EXPECT_EQ(wideSubstring("ab", 1, 0), "");
}

TEST(StringNatives, SplitGivesWhatPerlsSplitGives) {
  VmWorld::get();
  auto S = stringNatives();
  struct Case {
    const char* text;
    TValue separator;
    int limit;
    const char* perlPattern;
  };
  Held dot(str(".")), ab(str("、")), empty(str(""));
  const Case cases[] = {
      {"a,,b,c", TValue{}, 0, "/\\,/"}, {"a,b,,,", TValue{}, 0, "/\\,/"},
      {"a,b,c", TValue{}, 2, "/\\,/"},  {"x.y.z", dot.v, 0, "/\\./"},
      {"表、ソ、A", ab.v, 0, "/\\、/"}, {"1,2", empty.v, 0, "/\\,/"},
  };
  for (const Case& c : cases) {
    Held text(str(c.text));
    Held array(c.limit ? call(S, "_n_split", text.v, {c.separator, I(c.limit)})
                       : call(S, "_n_split", text.v, {c.separator}));
    TfObject* o = objectOf(array.v);
    ASSERT_NE(o, nullptr) << c.text;
    auto* body = hostAs<TValueList>(o->members()[0].ref);
    ASSERT_NE(body, nullptr);
    std::vector<std::string> pieces;
    for (int32_t i = 0; i < body->count(); ++i) pieces.push_back(toText(body->at(i)));
    EXPECT_EQ(pieces, perlSplit(c.perlPattern, c.text, c.limit, true)) << c.text;
  }
  Held nothing(str(""));
  Held array(call(S, "_n_split", nothing.v, {}));
  EXPECT_EQ(hostAs<TValueList>(objectOf(array.v)->members()[0].ref)->count(), 0);
}

TEST(StringNatives, FreedBodyLeavesAnEmptyStringNotFreedMemory) {
  VmWorld::get();
  Held s(str("abc")), alias(str("x"));
  // Another string shares the body, then the body is freed through one of them.
  TValue body = objectOf(s.v)->members()[0];
  objectOf(alias.v)->members()[0] = body;
  discard(call(stringNatives(), "_free_body", s.v, {body}));
  EXPECT_EQ(toText(s.v), "");
  EXPECT_EQ(toText(alias.v), "");
  // The length's lookup (a forwarded `length()` asks it) says what the handler says.
  for (const Held* h : {&s, &alias}) {
    Held length(call(stringNatives(), "native_length", h->v, {}));
    EXPECT_EQ(kindAndText(length.v), "int:0");
    EXPECT_EQ(lookedUp(stringNatives(), "native_length", {}, h->v), "int:0");
  }
  objectOf(s.v)->members()[0] = TValue{};
  objectOf(alias.v)->members()[0] = TValue{};
}

TEST(MathNatives, TrigonometryByWholeDegrees) {
  EXPECT_EQ(math("sin", {F(30.7f)}), "float:0.5");
  EXPECT_EQ(math("sin", {I(-30)}), "float:-0.5");
  EXPECT_EQ(math("cos", {I(360)}), "float:1");
  EXPECT_EQ(math("sin", {I(180)}), "float:0");
  EXPECT_EQ(math("cos", {I(-90)}), "float:0");
  EXPECT_EQ(math("angle", {I(1), I(0)}), "float:0");
  EXPECT_EQ(math("angle", {I(1), I(1)}), "float:45");
  EXPECT_EQ(math("angle", {I(0), I(1)}), "float:90");
  EXPECT_EQ(math("angle", {I(-1), I(0)}), "float:180");
  EXPECT_EQ(math("angle", {I(0), I(-1)}), "float:-90");
  EXPECT_EQ(math("angle", {I(0), I(0)}), "float:0");
  EXPECT_EQ(math("angle", {I(2), I(1)}), "float:22.5");  // linear in the tangent
  EXPECT_EQ(math("dist", {I(3), I(4)}), "float:5");
}

TEST(MathNatives, TruncationRootsAndText) {
  EXPECT_EQ(math("floor", {F(-2.5f)}), "int:-3");
  EXPECT_EQ(math("floor", {F(2.5f)}), "int:2");
  EXPECT_EQ(math("trunc", {F(-2.5f)}), "int:-2");
  EXPECT_EQ(math("sqrt", {I(-1)}), "null:null");
  EXPECT_EQ(math("sqrt", {I(9)}), "float:3");
  Held half(str(".5")), neg(str("-12")), sci(str("1e3")), blank(str("")), negf(str("-1.25"));
  EXPECT_EQ(math("valueOf", {half.v}), "float:0.5");
  EXPECT_EQ(math("valueOf", {neg.v}), "int:-12");
  EXPECT_EQ(math("valueOf", {sci.v}), "null:null");
  EXPECT_EQ(math("valueOf", {blank.v}), "null:null");
  EXPECT_EQ(math("valueOf", {negf.v}), "float:-1.25");
  Held huge(str("99999999999"));
  EXPECT_THROW(math("valueOf", {huge.v}), EError);
}

TEST(MathNatives, RandomSequences) {
  auto sequence = [](int32_t seed) {
    math("_n_randomize", {I(seed)});
    std::vector<std::string> out;
    for (int i = 0; i < 5; ++i) out.push_back(math("rnd", {I(1000)}));
    out.push_back(math("rnd", {}));
    return out;
  };
  EXPECT_EQ(sequence(42), sequence(42));
  EXPECT_EQ(sequence(42), sequence(42 | (1 << 24)));  // only the low 24 bits seed
  EXPECT_NE(sequence(42), sequence(43));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(math("rnd", {I(1)}), "int:0");
    EXPECT_EQ(math("rnd", {I(0)}), "int:0");
  }
  // Up to 2^30 the range divides the generator's span; past it two draws make the
  // number, still within 0 … n − 1 (once "Division by zero").
  std::string top = math("rnd", {I(1 << 30)});
  EXPECT_EQ(top.rfind("int:", 0), 0u);
  int64_t highHalf = 0;
  for (int i = 0; i < 200; ++i) {
    for (int32_t n : {(1 << 30) + 1, std::numeric_limits<int32_t>::max()}) {
      int64_t got = std::stoll(math("rnd", {I(n)}).substr(4));
      EXPECT_GE(got, 0);
      EXPECT_LT(got, n);
      if (n > (1 << 30) + 1) highHalf += got >= (int64_t(1) << 30);
    }
  }
  EXPECT_GT(highHalf, 60);  // about half of the draws of the widest range
  // The generator itself: state × 48828125 within 30 bits.
  random::seed(0);
  uint32_t s = 0x75BD924;
  EXPECT_EQ(random::next(), (s * 48828125u) & 0x3FFFFFFF);
}

TEST(ObjectNatives, HandlesReflectionAndTypeTests) {
  VmWorld& w = VmWorld::get();
  auto O = objectCoreNatives();
  TRTTI* c = w.makeClass("Reflect", w.objectClass, {"alpha", "beta"});
  Held o(newObject(c));
  EXPECT_EQ(kindAndText(Held(call(O, "_n_getValueCount", o.v, {})).v), "int:2");
  Held betaName(call(O, "_n_getValueName", o.v, {I(1)}));
  EXPECT_EQ(toText(betaName.v), "beta");
  Held beta(str("BETA"));
  EXPECT_EQ(kindAndText(Held(call(O, "_n_getValueIndex", o.v, {beta.v})).v), "int:1");
  discard(call(O, "_n_setValueByIndex", o.v, {I(0), I(77)}));
  EXPECT_EQ(kindAndText(Held(call(O, "_n_getValueByIndex", o.v, {I(0)})).v), "int:77");
  EXPECT_EQ(toText(Held(call(O, "_n_getValueByIndex", o.v, {I(9)})).v), toText(o.v));
  Held handle(call(O, "_n_objhandle", TValue{}, {o.v}));
  EXPECT_EQ(kindAndText(Held(call(O, "_n_refcount", TValue{}, {handle.v})).v), "int:1");
  EXPECT_EQ(kindAndText(Held(call(O, "_n_refcount", TValue{}, {I(12345)})).v), "int:0");
  EXPECT_EQ(kindAndText(Held(call(O, "_n_objhandle", TValue{}, {I(5)})).v), "int:0");
  // TObject turns a host handle number back into the host value.
  auto* list = new TValueList();
  Held h(call(O, "TObject", TValue{}, {I(int32_t(list->handle()))}));
  EXPECT_EQ(hostAs<TValueList>(h.v.ref), list);
  delete list;
  EXPECT_EQ(kindAndText(Held(call(O, "isInt", TValue{}, {I(1)})).v), "int:1");
  EXPECT_EQ(kindAndText(Held(call(O, "isFloat", TValue{}, {I(1)})).v), "int:0");
  EXPECT_EQ(
      kindAndText(
          Held(call(O, "native_is", o.v, {TValue::ofRef(vtHost, w.objectClass->handle())})).v),
      "int:1");
  EXPECT_EQ(kindAndText(Held(call(O, "native_is", o.v, {I(3)})).v), "int:0");
  Held cls(call(O, "_getClassName", o.v, {}));
  EXPECT_EQ(toText(cls.v), "Reflect");
  Held parent(call(O, "_getParentClassName", o.v, {}));
  EXPECT_EQ(toText(parent.v), "Object");
  discard(call(O, "_n_clearAllValues", o.v, {}));
  EXPECT_EQ(toText(objectOf(o.v)->members()[1]), "0");
}

TEST(ProcessNatives, CreateRunHaltAndFree) {
  VmWorld& w = VmWorld::get();
  auto P = processNatives();
  TRTTI* c = w.makeClass("Worker", w.objectClass, {"n"});
  CodeBuilder main;
  main.thisMember(0).pushInt(5).op(Op_Subst).op(Op_Pop).pushFloat(0).op(Op_Halt);
  w.setMain(c, main);
  Held o(newObject(c));
  Held p(call(P, "native_init", TValue{}, {o.v}));
  ASSERT_EQ(p.v.kind, vtHost);
  EXPECT_EQ(kindAndText(Held(call(P, "native_halted", TValue{}, {p.v})).v), "float:0");
  discard(call(P, "native_exec", TValue{}, {p.v}));
  EXPECT_EQ(kindAndText(Held(call(P, "native_halted", TValue{}, {p.v})).v), "float:1");
  EXPECT_EQ(toText(objectOf(o.v)->members()[0]), "5");
  discard(call(P, "native_free", TValue{}, {p.v}));
  EXPECT_EQ(hostAs<TProcess>(p.v.ref), nullptr);
  // A freed process handle is inert.
  EXPECT_EQ(kindAndText(Held(call(P, "native_halted", I(3), {p.v})).v), "int:3");
  Held missing(str("nope"));
  EXPECT_THROW(call(P, "native_init", TValue{}, {o.v, missing.v}), EError);
}
