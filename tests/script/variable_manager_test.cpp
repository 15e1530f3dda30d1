#include "script/variable_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/text.h"

namespace velkor::script {
namespace {

using Definitions = std::vector<std::pair<std::u16string, std::u16string>>;

void Define(TVariableManager& store, const Definitions& definitions) {
  for (const auto& [name, value] : definitions) store.AddItem(name, value);
}

std::u16string Number(int i) {
  return core::U16(std::to_string(i));
}

TEST(VariableManagerTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  TVariableManager store;
  store.AddItem(u"TargetDir", u"C:\\App\\");
  EXPECT_EQ(store.GetItem(u"TARGETDIR"), u"C:\\App\\");
  store.SetItem(u"TARGETDIR", u"D:\\App\\");
  EXPECT_EQ(store.GetItem(u"targetdir"), u"D:\\App\\");
  std::vector<std::u16string> names{u"left over"};
  EXPECT_EQ(store.ListNames(names), 1u);
  EXPECT_EQ(names, std::vector<std::u16string>{u"TargetDir"});
}

TEST(VariableManagerTest, EmptyValueDiffersFromUndefined) {
  TVariableManager store;
  EXPECT_EQ(store.GetItem(u"X"), u"");
  EXPECT_FALSE(store.Exists(u"X"));
  std::u16string value = u"untouched";
  EXPECT_FALSE(store.TryGetItem(u"X", value));
  store.SetItem(u"X", u"");
  EXPECT_TRUE(store.Exists(u"x"));
  EXPECT_TRUE(store.TryGetItem(u"x", value));
  EXPECT_EQ(value, u"");
  store.RemoveItem(u"X");
  EXPECT_FALSE(store.Exists(u"X"));
  store.RemoveItem(u"X");  // removing an undefined name is harmless
}

TEST(VariableManagerTest, EmptyNameIsNeverStored) {
  TVariableManager store;
  store.AddItem(u"", u"a");
  store.SetItem(u"", u"b");
  EXPECT_FALSE(store.Exists(u""));
  std::vector<std::u16string> names;
  EXPECT_EQ(store.ListNames(names), 0u);
  EXPECT_EQ(store.Capacity(), 0u);
}

TEST(VariableManagerTest, ListItemsGivesPairsInEnumerationOrder) {
  TVariableManager store;
  // Single letters land in buckets 1 (a), 2 (B) and 3 (c) of the first 32.
  Define(store, {{u"c", u"3"}, {u"a", u"1"}, {u"B", u""}});
  std::vector<std::u16string> items{u"left over"};
  EXPECT_EQ(store.ListItems(items), 6u);
  EXPECT_EQ(items, (std::vector<std::u16string>{u"a", u"1", u"B", u"", u"c", u"3"}));
}

TEST(VariableManagerTest, StoreGrowsOnlyWhenAnInsertionFinds64Names) {
  TVariableManager store;
  EXPECT_EQ(store.Capacity(), 0u);
  store.AddItem(u"Name0", u"v");
  EXPECT_EQ(store.Capacity(), 32u);
  for (int i = 1; i < 64; ++i) {
    store.AddItem(u"Name" + Number(i), u"v");
    ASSERT_EQ(store.Capacity(), 32u) << "after " << i + 1 << " names";
  }
  store.AddItem(u"Name64", u"v");
  EXPECT_EQ(store.Capacity(), 64u);
}

struct ExpandCase {
  const char* what;
  Definitions definitions;
  std::u16string text;
  std::u16string expanded;
};

const Definitions kTitle = {{u"TITLE", u"My App"}, {u"ITEM", u"widget"}};

TEST(VariableManagerTest, ExpandFollowsTheScanRules) {
  const ExpandCase cases[] = {
      {"plain text", kTitle, u"no references", u"no references"},
      {"one reference", kTitle, u"$TITLE$", u"My App"},
      {"any case", kTitle, u"[$title$]", u"[My App]"},
      {"undefined stays", kTitle, u"$NOPE$ and $TITLE$", u"$NOPE$ and My App"},
      {"lone sign before", kTitle, u"Cost: $5 and $TITLE$", u"Cost: $5 and My App"},
      {"closing sign reopens", kTitle, u"$100 for $ITEM$", u"$100 for widget"},
      {"adjacent signs stay", kTitle, u"a$$b", u"a$$b"},
      {"adjacent then reference", kTitle, u"$$TITLE$", u"$My App"},
      {"unterminated stays", kTitle, u"go $TITLE", u"go $TITLE"},
      {"trailing sign", kTitle, u"$TITLE$$", u"My App$"},
      {"nested", {{u"A", u"$B$"}, {u"B", u"z"}}, u"$A$", u"z"},
      {"nested with text", {{u"A", u"<$B$>"}, {u"B", u"($C$)"}, {u"C", u"c"}}, u"$A$!", u"<(c)>!"},
      {"empty value", {{u"E", u""}}, u"[$E$]", u"[]"},
      {"same value twice, side by side",
       {{u"A", u"$B$-$B$"}, {u"B", u"$C$"}, {u"C", u"c"}},
       u"$A$ $A$",
       u"c-c c-c"},
      {"value doubling", {{u"A", u"$B$$B$"}, {u"B", u"$C$$C$"}, {u"C", u"c"}}, u"$A$", u"cccc"},
      // Inserted text joins the text after it: the rescan sees the joined text.
      {"value ends in a sign", {{u"A", u"x$"}, {u"TITLE", u"T"}}, u"$A$TITLE$", u"xT"},
      {"name split across values", {{u"P", u"$TI"}, {u"TITLE", u"T"}}, u"$P$TLE$", u"T"},
      {"name split across three texts",
       {{u"P", u"$TI"}, {u"Q", u"$P$T"}, {u"TITLE", u"T"}},
       u"$Q$LE$",
       u"T"},
      {"values ending in their own name, joined with the text", {{u"X", u"$"}}, u"$X$X$X$", u"$"},
      {"own name straddling the end", {{u"X", u"$X"}}, u"$X$$", u"$X"},
  };
  for (const auto& c : cases) {
    TVariableManager store;
    Define(store, c.definitions);
    EXPECT_EQ(store.Expand(c.text), c.expanded) << c.what;
  }
}

TEST(VariableManagerTest, SelfReferringValuesEnd) {
  const ExpandCase cases[] = {
      {"direct", {{u"X", u"a$X$"}}, u"[$X$]", u"[a$X$]"},
      {"direct, any case", {{u"X", u"a$x$b"}}, u"$X$", u"a$x$b"},
      {"mutual", {{u"A", u"$B$"}, {u"B", u"$A$"}}, u"$A$", u"$A$"},
      {"mutual, other end", {{u"A", u"$B$"}, {u"B", u"$A$"}}, u"$B$", u"$B$"},
      {"cycle of three", {{u"A", u"$B$"}, {u"B", u"$C$"}, {u"C", u"$A$"}}, u"$A$.", u"$A$."},
      {"cycle with text", {{u"A", u"1$B$"}, {u"B", u"2$A$3"}}, u"$A$", u"12$A$3"},
      {"later references still expand",
       {{u"X", u"$X$ $TITLE$"}, {u"TITLE", u"T"}},
       u"$X$",
       u"$X$ T"},
      {"twice in the input", {{u"X", u"a$X$"}}, u"$X$$X$", u"a$X$a$X$"},
  };
  for (const auto& c : cases) {
    TVariableManager store;
    Define(store, c.definitions);
    EXPECT_EQ(store.Expand(c.text), c.expanded) << c.what;
  }
}

// The rule read literally: splice each value into the text and rescan from where it
// went in. Gives up after max_steps replacements (self-referring values never end).
std::optional<std::u16string> SpliceExpand(const TVariableManager& store, std::u16string text,
                                           bool quoted, int max_steps) {
  size_t p = 0;
  int steps = 0;
  for (size_t s; (s = text.find(u'$', p)) != std::u16string::npos;) {
    const size_t e = text.find(u'$', s + 1);
    const std::u16string name = e == std::u16string::npos ? u"" : text.substr(s + 1, e - s - 1);
    std::u16string value;
    if (!name.empty() && store.TryGetItem(name, value)) {
      if (++steps > max_steps) return std::nullopt;
      text.replace(s, name.size() + 2, quoted ? u'"' + value + u'"' : value);
      p = s;
    } else {
      p = s + name.size() + 1;
    }
  }
  return text;
}

// Random small texts over a few names and dollar signs: wherever splicing ends, the
// store gives the same text; where it does not, the store still ends.
TEST(VariableManagerTest, ExpandEqualsSplicingWheneverSplicingEnds) {
  const std::u16string names[] = {u"A", u"B", u"AB", u"x", u"BA"};
  const char16_t alphabet[] = {u'$', u'$', u'$', u'A', u'B', u'a', u'x', u' '};
  std::mt19937 random(20240611);
  auto random_text = [&](int max_length) {
    std::u16string text;
    for (int n = static_cast<int>(random() % (max_length + 1)); n > 0; --n) {
      text += alphabet[random() % std::size(alphabet)];
    }
    return text;
  };
  int ended = 0, cut_off = 0;
  for (int round = 0; round < 3000; ++round) {
    TVariableManager store;
    for (const auto& name : names) {
      if (random() % 4 != 0) store.AddItem(name, random_text(6));
    }
    for (int t = 0; t < 10; ++t) {
      const std::u16string text = random_text(14);
      for (bool quoted : {false, true}) {
        const auto spliced = SpliceExpand(store, text, quoted, 200);
        const std::u16string expanded = quoted ? store.ExpandQuoted(text) : store.Expand(text);
        if (!spliced) {
          ++cut_off;
          continue;
        }
        ++ended;
        ASSERT_EQ(expanded, *spliced) << "text " << testing::PrintToString(text) << " round "
                                      << round << (quoted ? " quoted" : "");
      }
    }
  }
  // Both kinds must actually occur for the comparison to mean something.
  EXPECT_GT(ended, 10000);
  EXPECT_GT(cut_off, 100);
}

TEST(VariableManagerTest, ExpandQuotedQuotesEachInsertedValue) {
  const ExpandCase cases[] = {
      {"one reference", kTitle, u"run $TITLE$", u"run \"My App\""},
      {"undefined", kTitle, u"$NOPE$", u"$NOPE$"},
      {"nested", {{u"A", u"$B$"}, {u"B", u"z"}}, u"$A$", u"\"\"z\"\""},
      {"path", {{u"DIR", u"C:\\x y\\"}}, u"$DIR$file", u"\"C:\\x y\\\"file"},
      {"self reference", {{u"X", u"a$X$"}}, u"$X$", u"\"a$X$\""},
  };
  for (const auto& c : cases) {
    TVariableManager store;
    Define(store, c.definitions);
    EXPECT_EQ(store.ExpandQuoted(c.text), c.expanded) << c.what;
  }
}

TEST(VariableManagerTest, ExpandsWithoutTheReadLock) {
  TVariableManager store;
  store.SetLockReads(false);
  Define(store, {{u"A", u"$B$"}, {u"B", u"z"}});
  EXPECT_EQ(store.Expand(u"$A$"), u"z");
  EXPECT_EQ(store.GetItem(u"b"), u"z");
  EXPECT_TRUE(store.Exists(u"a"));
}

// Splicing each value into one growing text would copy the tail once per reference:
// about 10^12 code units here, minutes instead of milliseconds.
TEST(VariableManagerTest, LargeTextsExpandInLinearTime) {
  TVariableManager store;
  for (int i = 0; i < 1000; ++i) store.AddItem(u"V" + Number(i), u"<$W$>");
  store.AddItem(u"W", u"w");
  std::u16string text, expected;
  for (int i = 0; i < 500000; ++i) {
    text += u"$V" + Number(i % 1000) + u"$ ab ";
    expected += u"<w> ab ";
  }
  const auto start = std::chrono::steady_clock::now();
  const std::u16string expanded = store.Expand(text);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(expanded == expected);
  EXPECT_LT(elapsed, std::chrono::seconds(20));
}

// Workers publish progress while the main thread expands and reads, as during a
// native engine run; new names make the table grow under the readers.
TEST(VariableManagerTest, WorkersWriteWhileTheMainThreadExpands) {
  TVariableManager store;
  store.AddItem(u"KEVO_thProgress", u"0");
  store.AddItem(u"KEVO_thMax", u"1000");
  constexpr int kWorkers = 4;
  constexpr int kSteps = 2000;
  std::atomic<int> running{kWorkers};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 1; i <= kSteps; ++i) {
        store.SetItem(u"KEVO_thProgress", Number(i % 1000));
        store.SetItem(u"WORKER" + Number(w) + u"_" + Number(i % 300), Number(i));
        if (i % 100 == 0) store.RemoveItem(u"WORKER" + Number(w) + u"_" + Number(i % 300 - 1));
      }
      --running;
    });
  }
  int expansions = 0;
  bool all_well_formed = true;
  while (running.load() > 0 || expansions < 100) {
    const std::u16string shown = store.Expand(u"$KEVO_thProgress$ of $kevo_thmax$");
    const size_t of = shown.find(u" of 1000");
    all_well_formed = all_well_formed && of != std::u16string::npos && of > 0 && of <= 3 &&
                      shown.find(u'$') == std::u16string::npos;
    store.Exists(u"WORKER0_5");
    ++expansions;
  }
  for (auto& t : workers) t.join();
  EXPECT_TRUE(all_well_formed);
  for (int w = 0; w < kWorkers; ++w) {
    EXPECT_EQ(store.GetItem(u"worker" + Number(w) + u"_" + Number(kSteps % 300)), Number(kSteps));
  }
  // Each worker leaves its 300 names but the two it removed last (99 and 199).
  std::vector<std::u16string> names;
  EXPECT_EQ(store.ListNames(names), 2u + kWorkers * 298u);
  EXPECT_FALSE(store.Exists(u"WORKER1_99"));
  EXPECT_FALSE(store.Exists(u"WORKER1_199"));
}

}  // namespace
}  // namespace velkor::script
