#include "script/hash_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace velkor::script {
namespace {

std::vector<std::u16string> Keys(const TStringHashTable& table) {
  std::vector<std::u16string> keys;
  for (const auto& [key, value] : table.GetEnumerator()) keys.push_back(key);
  return keys;
}

std::u16string Key(int i) {
  return u"key" + std::u16string(1, char16_t(u'A' + i % 26)) +
         std::u16string(1, char16_t(0x100 + i));
}

template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const HashTableError& e) {
    return e.what();
  }
  return "(no error)";
}

// Reference values from the textbook form of the ELF hash (shift, fold the top nibble
// into bits 4-7, clear it), which must agree with the arithmetic form the table uses.
TEST(HashTableTest, ElfHashMatchesReferenceValues) {
  struct Case {
    std::u16string key;
    uint32_t exact, ignoring_case;
  } cases[] = {
      {u"", 0, 0},
      {u"a", 0x61, 0x61},
      {u"TARGETDIR", 0x6bad082, 0x8dcd182},
      {u"abcdefghijklmnopqrstuvwxyz", 0x8d1e00a, 0x8d1e00a},
      {u"KEVO_thProgress", 0x4086e73, 0x6085213},
      {u"\u00C4\u00D6\u00DC", 0xd23c, 0xf45c},
      {std::u16string{0x20AC, 0xD83D, 0xDE00, 0xFFFF}, 0x2f1dcff, 0x2f1dcff},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ElfHash(c.key), c.exact) << testing::PrintToString(c.key);
    EXPECT_EQ(ElfHashIgnoreCase(c.key), c.ignoring_case) << testing::PrintToString(c.key);
  }
}

TEST(HashTableTest, CaseRulesFollowTheTableKind) {
  TStringHashTable insensitive(KeyCase::kInsensitive);
  insensitive.Put(u"TargetDir", u"1");
  insensitive.Put(u"TARGETDIR", u"2");
  insensitive.Put(u"\u00C9t\u00E9", u"3");
  EXPECT_EQ(insensitive.Count(), 2u);
  EXPECT_EQ(Keys(insensitive), (std::vector<std::u16string>{u"TargetDir", u"\u00C9t\u00E9"}));
  std::u16string value;
  ASSERT_TRUE(insensitive.TryGetValue(u"targetdir", value));
  EXPECT_EQ(value, u"2");
  EXPECT_TRUE(insensitive.ContainsKey(u"\u00E9T\u00C9"));

  TStringHashTable sensitive(KeyCase::kSensitive);
  sensitive.Put(u"TargetDir", u"1");
  sensitive.Put(u"TARGETDIR", u"2");
  EXPECT_EQ(sensitive.Count(), 2u);
  EXPECT_FALSE(sensitive.ContainsKey(u"targetdir"));
  EXPECT_FALSE(sensitive.TryGetValue(u"targetdir", value));
  EXPECT_EQ(value, u"2") << "a failed lookup leaves the output alone";
}

TEST(HashTableTest, CreationChecksTheLoadFactor) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double good : {0.1, 1.0, 2.0, 7.0}) {
    EXPECT_NO_THROW(TStringHashTable(KeyCase::kSensitive, 0, good)) << good;
  }
  for (double bad : {0.0999, 7.0001, 0.0, -2.0, nan}) {
    EXPECT_EQ(ErrorOf([&] { TStringHashTable(KeyCase::kSensitive, 0, bad); }),
              kErrorArgumentOutOfRange)
        << bad;
  }
}

TEST(HashTableTest, ThresholdIsCapacityTimesLoadFactorRounded) {
  struct Case {
    size_t capacity;
    double load_factor;
    uint64_t threshold;
  } cases[] = {
      {0, 2.0, 0}, {32, 2.0, 64}, {32, 0.1, 3}, {5, 0.5, 2}, {3, 0.5, 2}, {7, 0.5, 4},
  };
  for (const auto& c : cases) {
    TStringHashTable table(KeyCase::kSensitive, c.capacity, c.load_factor);
    EXPECT_EQ(table.Capacity(), c.capacity);
    EXPECT_EQ(table.Threshold(), c.threshold) << c.capacity << " x " << c.load_factor;
  }
}

TEST(HashTableTest, GrowsByDoublingWhenAPutFindsTheThreshold) {
  TStringHashTable table(KeyCase::kInsensitive, 0, 2.0);
  EXPECT_EQ(table.Capacity(), 0u);
  table.Put(Key(0), u"v");
  EXPECT_EQ(table.Capacity(), 32u);
  EXPECT_EQ(table.Threshold(), 64u);
  for (int i = 1; i < 64; ++i) {
    table.Put(Key(i), u"v");
    ASSERT_EQ(table.Capacity(), 32u) << "after " << i + 1 << " keys";
  }
  EXPECT_EQ(table.Count(), 64u);
  table.Put(Key(64), u"v");
  EXPECT_EQ(table.Capacity(), 64u);
  EXPECT_EQ(table.Threshold(), 128u);
  for (int i = 0; i <= 64; ++i) ASSERT_TRUE(table.ContainsKey(Key(i))) << i;
}

// The growth test runs before the key is searched, so a replacing put at the
// threshold grows the table as well.
TEST(HashTableTest, ReplacingAtTheThresholdAlsoGrows) {
  TStringHashTable table(KeyCase::kSensitive, 4, 0.5);
  table.Put(u"a", u"1");
  table.Put(u"b", u"1");
  ASSERT_EQ(table.Capacity(), 4u);
  table.Put(u"a", u"2");
  EXPECT_EQ(table.Capacity(), 8u);
  EXPECT_EQ(table.Count(), 2u);
}

// Single-unit keys hash to their code unit, so their buckets are known.
TEST(HashTableTest, EnumeratesBucketsInOrderAndChainsFromTheHead) {
  TStringHashTable table(KeyCase::kSensitive);
  // Buckets of 32: b -> 2; a, A and ! -> 1, each new one at the head of the chain.
  for (const char16_t* key : {u"b", u"a", u"A", u"!"}) table.Put(key, u"");
  EXPECT_EQ(Keys(table), (std::vector<std::u16string>{u"!", u"A", u"a", u"b"}));
}

TEST(HashTableTest, GrowthRelinksEntriesInEnumerationOrder) {
  // a (97) and e (101) share a bucket at capacity 2 and at 4; moving the chain e, a
  // entry by entry to the head of the new chain reverses it.
  TStringHashTable table(KeyCase::kSensitive, 2, 1.0);
  table.Put(u"a", u"");
  table.Put(u"e", u"");
  EXPECT_EQ(Keys(table), (std::vector<std::u16string>{u"e", u"a"}));
  table.Put(u"i", u"");
  EXPECT_EQ(table.Capacity(), 4u);
  EXPECT_EQ(Keys(table), (std::vector<std::u16string>{u"i", u"a", u"e"}));
}

TEST(HashTableTest, RemoveUnlinksFromAnyPlaceInTheChain) {
  struct Case {
    const char16_t* removed;
    std::vector<std::u16string> left;
  } cases[] = {
      {u"!", {u"A", u"a", u"b"}},  // head
      {u"A", {u"!", u"a", u"b"}},  // middle
      {u"a", {u"!", u"A", u"b"}},  // tail
      {u"b", {u"!", u"A", u"a"}},  // alone in its bucket
  };
  for (const auto& c : cases) {
    TStringHashTable table(KeyCase::kSensitive);
    for (const char16_t* key : {u"b", u"a", u"A", u"!"}) table.Put(key, u"");
    EXPECT_TRUE(table.Remove(c.removed));
    EXPECT_FALSE(table.Remove(c.removed));
    EXPECT_EQ(table.Count(), 3u);
    EXPECT_EQ(Keys(table), c.left) << testing::PrintToString(std::u16string(c.removed));
  }
  TStringHashTable empty(KeyCase::kSensitive);
  EXPECT_FALSE(empty.Remove(u"x"));
}

TEST(HashTableTest, FixedSizeTablesNeverGrow) {
  TStringHashTable none(KeyCase::kSensitive, 0, 2.0, /*fixed_size=*/true);
  EXPECT_EQ(ErrorOf([&] { none.Put(u"a", u"1"); }), kErrorFixedWithSizeZero);
  EXPECT_EQ(none.Count(), 0u);
  EXPECT_FALSE(none.ContainsKey(u"a"));
  EXPECT_FALSE(none.Remove(u"a"));

  TStringHashTable one(KeyCase::kInsensitive, 1, 2.0, /*fixed_size=*/true);
  for (int i = 0; i < 100; ++i) one.Put(Key(i), std::u16string(1, char16_t(u'0' + i % 10)));
  EXPECT_EQ(one.Capacity(), 1u);
  EXPECT_EQ(one.Count(), 100u);
  const auto keys = Keys(one);
  ASSERT_EQ(keys.size(), 100u);
  EXPECT_EQ(keys.front(), Key(99));
  EXPECT_EQ(keys.back(), Key(0));
  EXPECT_TRUE(one.Remove(Key(50)));
  EXPECT_EQ(*one.Find(Key(49)), u"9");
  EXPECT_EQ(one.Find(Key(50)), nullptr);
}

TEST(HashTableTest, ModifyingWhileAnEnumeratorExistsFails) {
  TStringHashTable table(KeyCase::kInsensitive);
  table.Put(u"a", u"1");
  table.Put(u"b", u"2");
  std::stringstream stream;
  table.SaveToStream(stream);
  {
    auto first = table.GetEnumerator();
    {
      auto second = table.GetEnumerator();
      EXPECT_TRUE(table.Iterating());
    }
    EXPECT_TRUE(table.Iterating()) << "one enumerator is still alive";
    for (auto modify : std::vector<std::function<void()>>{
             [&] { table.Put(u"c", u"3"); },
             [&] { table.Put(u"a", u"changed"); },
             [&] { table.Remove(u"a"); },
             [&] { table.Clear(); },
             [&] { table.LoadFromStream(stream); },
         }) {
      EXPECT_EQ(ErrorOf(modify), kErrorModifyWhileIterating);
    }
    // Reading is fine, and the walk still sees the untouched table.
    EXPECT_EQ(*table.Find(u"A"), u"1");
    int seen = 0;
    while (first.MoveNext()) ++seen;
    EXPECT_EQ(seen, 2);
  }
  EXPECT_FALSE(table.Iterating());
  table.Put(u"c", u"3");
  EXPECT_EQ(table.Count(), 3u);
}

TEST(HashTableTest, EnumeratorYieldsPairsOnce) {
  TStringHashTable table(KeyCase::kSensitive);
  {
    auto none = table.GetEnumerator();
    EXPECT_FALSE(none.MoveNext());
    EXPECT_FALSE(none.MoveNext());
  }

  table.Put(u"a", u"1");
  table.Put(u"b", u"2");
  auto e = table.GetEnumerator();
  std::vector<std::u16string> seen;
  while (e.MoveNext()) {
    const auto [key, value] = e.Current();
    seen.push_back(key + u"=" + value);
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"a=1", u"b=2"}));
  EXPECT_FALSE(e.MoveNext());
}

TEST(HashTableTest, ClearReturnsToTheInitialState) {
  for (size_t initial : {size_t{0}, size_t{8}}) {
    TStringHashTable table(KeyCase::kInsensitive, initial, 2.0);
    for (int i = 0; i < 200; ++i) table.Put(Key(i), u"v");
    EXPECT_GT(table.Capacity(), initial);
    table.Clear();
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(table.Capacity(), initial);
    EXPECT_EQ(table.Threshold(), initial * 2);
    EXPECT_TRUE(Keys(table).empty());
    table.Put(u"again", u"1");
    EXPECT_EQ(table.Capacity(), initial == 0 ? 32u : initial);
    EXPECT_EQ(*table.Find(u"AGAIN"), u"1");
  }
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(HashTableTest, StreamFormIsCountedLittleEndianUnits) {
  TStringHashTable table(KeyCase::kSensitive);
  table.Put(u"A", u"x\u20AC");
  table.Put(u"b", u"");
  std::ostringstream out;
  table.SaveToStream(out);
  EXPECT_EQ(out.str(), Bytes({1, 0, 0, 0, 'A', 0, 2, 0, 0, 0, 'x', 0, 0xAC, 0x20,  // A (bucket 1)
                              1, 0, 0, 0, 'b', 0, 0, 0, 0, 0}));                   // b (bucket 2)
}

TEST(HashTableTest, StreamRoundTripReplacesTheContent) {
  TStringHashTable source(KeyCase::kInsensitive);
  const std::u16string long_value(70000, u'z');
  source.Put(u"TargetDir", u"C:\\Program Files\\App\\");
  source.Put(u"Empty", u"");
  source.Put(u"", u"empty key");
  source.Put(u"Long", long_value);
  source.Put(u"Units", std::u16string{0xD83D, 0xDE00, 0xD800, 0, 0xFFFF});
  for (int i = 0; i < 100; ++i) source.Put(Key(i), Key(i + 1));
  std::stringstream stream;
  source.SaveToStream(stream);

  TStringHashTable target(KeyCase::kInsensitive);
  target.Put(u"Stale", u"gone after the load");
  target.LoadFromStream(stream);
  EXPECT_FALSE(target.ContainsKey(u"Stale"));
  EXPECT_EQ(target.Count(), source.Count());
  // Same pairs; the order may differ, as the target's chains were built anew.
  std::vector<std::pair<std::u16string, std::u16string>> expected, loaded;
  for (const auto& [k, v] : source.GetEnumerator()) expected.emplace_back(k, v);
  for (const auto& [k, v] : target.GetEnumerator()) loaded.emplace_back(k, v);
  std::sort(expected.begin(), expected.end());
  std::sort(loaded.begin(), loaded.end());
  EXPECT_TRUE(loaded == expected);
  EXPECT_EQ(*target.Find(u"TARGETDIR"), u"C:\\Program Files\\App\\");

  std::istringstream nothing;
  target.LoadFromStream(nothing);
  EXPECT_EQ(target.Count(), 0u) << "an empty stream holds no pairs";
}

TEST(HashTableTest, BadStreamsFailCleanlyAndLeaveTheTable) {
  const std::string key_a = Bytes({1, 0, 0, 0, 'a', 0});
  const std::string value_1 = Bytes({1, 0, 0, 0, '1', 0});
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"count cut short", Bytes({1, 0})},
      {"key cut short", Bytes({2, 0, 0, 0, 'a', 0})},
      {"odd byte in a key", Bytes({1, 0, 0, 0, 'a'})},
      {"key without value", key_a},
      {"value count cut short", key_a + Bytes({1, 0, 0})},
      {"value cut short", key_a + Bytes({3, 0, 0, 0, '1', 0})},
      {"second pair cut short", key_a + value_1 + Bytes({5})},
      {"huge key count", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a', 0, 'b', 0})},
      {"huge value count", key_a + Bytes({0xFF, 0xFF, 0xFF, 0x7F, '1', 0})},
  };
  for (const auto& c : cases) {
    TStringHashTable table(KeyCase::kSensitive);
    table.Put(u"kept", u"yes");
    std::istringstream in(c.bytes);
    // Anything but HashTableError (bad_alloc, length_error) fails the test.
    EXPECT_THROW(table.LoadFromStream(in), HashTableError) << c.what;
    EXPECT_EQ(table.Count(), 1u) << c.what;
    EXPECT_EQ(*table.Find(u"kept"), u"yes") << c.what;
  }
}

TEST(HashTableTest, LoadIntoAFixedEmptyTableFailsBeforeClearing) {
  TStringHashTable source(KeyCase::kSensitive);
  source.Put(u"a", u"1");
  std::stringstream stream;
  source.SaveToStream(stream);
  TStringHashTable none(KeyCase::kSensitive, 0, 2.0, /*fixed_size=*/true);
  EXPECT_EQ(ErrorOf([&] { none.LoadFromStream(stream); }), kErrorFixedWithSizeZero);
}

}  // namespace
}  // namespace velkor::script
