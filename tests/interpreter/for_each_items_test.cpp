#include "interpreter/for_each_items.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/text.h"

namespace velkor::interpreter {
namespace {

std::vector<std::u16string> AllItems(std::u16string list, std::u16string separator) {
  ForEachEntry entry{
      .variable = u"ITEM", .remaining = std::move(list), .separator = std::move(separator)};
  std::vector<std::u16string> items;
  for (std::u16string_view item = TakeNextItem(entry); !item.empty(); item = TakeNextItem(entry)) {
    items.emplace_back(item);
    if (items.size() > 1000) break;  // a walk that never ends
  }
  // Once done, the entry stays done.
  EXPECT_EQ(TakeNextItem(entry), u"");
  return items;
}

TEST(ForEachItemsTest, SeparatorsAndEmptyItems) {
  struct Case {
    std::u16string list;
    std::u16string separator;
    std::vector<std::u16string> items;
  };
  const Case cases[] = {
      {u"a;;b;", u";", {u"a", u"b"}},
      {u";;;a", u";", {u"a"}},
      {u"", u";", {}},
      {u";", u";", {}},
      {u"a", u";", {u"a"}},
      {u"a<>b<><>c<", u"<>", {u"a", u"b", u"c<"}},
      {u"aaa", u"aa", {u"a"}},
      {u" x | y ", u"|", {u" x ", u" y "}},
      {u"a;b", u"", {u"a;b"}},
      {u"", u"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AllItems(c.list, c.separator), c.items)
        << core::Utf16ToUtf8(c.list) << " / " << core::Utf16ToUtf8(c.separator);
  }
}

TEST(ForEachItemsTest, ALongListIsWalkedInLinearTime) {
  std::u16string list;
  for (int i = 0; i < 200000; ++i) list += u"item;;";
  const auto start = std::chrono::steady_clock::now();
  ForEachEntry entry{.variable = u"ITEM", .remaining = list, .separator = u";"};
  size_t count = 0;
  while (!TakeNextItem(entry).empty()) ++count;
  EXPECT_EQ(count, 200000u);
  // Copying the rest on each pass would move about 10^11 characters.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace velkor::interpreter
