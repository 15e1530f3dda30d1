#include <gtest/gtest.h>

#include "core/decimal.h"
#include "core/delimited_text.h"
#include "core/guid.h"
#include "core/text.h"
#include "core/truth.h"

namespace velkor::core {
namespace {

using Items = std::vector<std::u16string>;

TEST(TruthTest, FollowsTheTruthConvention) {
  for (auto t : {u"TRUE", u"true", u"TrUe", u"-1"}) EXPECT_TRUE(TruthOf(t)) << Utf16ToUtf8(t);
  for (auto t : {u"1", u"", u"FALSE", u" TRUE", u"-1 ", u"yes"}) EXPECT_FALSE(TruthOf(t));
  EXPECT_EQ(TruthText(true), u"TRUE");
  EXPECT_EQ(TruthText(false), u"FALSE");
}

TEST(DelimitedTextTest, WritesCommaText) {
  struct Case {
    Items items;
    std::u16string text;
  } cases[] = {
      {{u"A", u"x y"}, u"A,\"x y\""},
      {{u"a\"b", u"c,d"}, u"\"a\"\"b\",\"c,d\""},
      {{u"tab\there", u"nl\r\n"}, u"\"tab\there\",\"nl\r\n\""},
      {{u"", u"x"}, u"\"\",x"},
      {{}, u""},
      {{u"a|b"}, u"a|b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToCommaText(c.items), c.text);
    EXPECT_EQ(FromCommaText(c.text), c.items);
  }
}

TEST(DelimitedTextTest, ReadsBlanksAsSeparatorsOutsideQuotes) {
  EXPECT_EQ(FromCommaText(u"a b,c"), (Items{u"a", u"b", u"c"}));
  EXPECT_EQ(FromCommaText(u"  a ,  \"b c\"  "), (Items{u"a", u"b c"}));
  EXPECT_EQ(FromCommaText(u"a,,b"), (Items{u"a", u"", u"b"}));
  EXPECT_EQ(FromCommaText(u"a,"), (Items{u"a", u""}));
  EXPECT_EQ(FromCommaText(u"\"unterminated"), (Items{u"unterminated"}));
  EXPECT_EQ(FromCommaText(u"\"a\"\"\"b"), (Items{u"a\"", u"b"}));
}

TEST(DelimitedTextTest, ListTextUsesVerticalBars) {
  const Items items{u"C:\\a b\\x.txt", u"y", u"p|q"};
  EXPECT_EQ(ToListText(items), u"\"C:\\a b\\x.txt\"|y|\"p|q\"");
  EXPECT_EQ(FromListText(ToListText(items)), items);
  EXPECT_EQ(FromListText(u"a,b|c"), (Items{u"a,b", u"c"}));
}

TEST(DecimalTest, ParsesStrictly) {
  struct Case {
    const char16_t* text;
    std::optional<int32_t> value;
  } cases[] = {
      {u"0", 0},
      {u"-0", 0},
      {u"+17", 17},
      {u"2147483647", 2147483647},
      {u"-2147483648", -2147483647 - 1},
      {u"2147483648", std::nullopt},
      {u"-2147483649", std::nullopt},
      {u"", std::nullopt},
      {u"-", std::nullopt},
      {u" 1", std::nullopt},
      {u"1 ", std::nullopt},
      {u"0x10", std::nullopt},
      {u"$10", std::nullopt},
      {u"1e3", std::nullopt},
      {u"\uFF11", std::nullopt},  // fullwidth digit
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInt32(c.text), c.value) << Utf16ToUtf8(c.text);
  EXPECT_EQ(ParseInt64(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseInt64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseInt64(u"9223372036854775808"), std::nullopt);
  EXPECT_EQ(ParseInt64(u"99999999999999999999"), std::nullopt);
}

TEST(DecimalTest, WritesDecimalText) {
  EXPECT_EQ(DecimalText(int64_t{0}), u"0");
  EXPECT_EQ(DecimalText(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(DecimalText(UINT64_MAX), u"18446744073709551615");
  EXPECT_EQ(DecimalText(int32_t{-42}), u"-42");
}

TEST(GuidTest, WritesBracedUpperCaseAndParsesBack) {
  std::array<uint8_t, 16> bytes{};
  for (int k = 0; k < 16; ++k) bytes[k] = static_cast<uint8_t>(0xA0 + k);
  const Guid guid = GuidFromRandomBytes(bytes);
  const std::u16string text = GuidText(guid);
  EXPECT_EQ(text, u"{A0A1A2A3-A4A5-46A7-A8A9-AAABACADAEAF}");  // version 4, variant 10
  EXPECT_EQ(ParseGuid(text), guid);
  EXPECT_EQ(ParseGuid(u"{a0a1a2a3-a4a5-46a7-a8a9-aaabacadaeaf}"), guid);
  for (auto bad :
       {u"", u"A0A1A2A3-A4A5-46A7-A8A9-AAABACADAEAF", u"{A0A1A2A3-A4A5-46A7-A8A9-AAABACADAEAG}",
        u"{A0A1A2A3A4A5-46A7-A8A9-AAABACADAEAF0}"}) {
    EXPECT_EQ(ParseGuid(bad), std::nullopt);
  }
}

}  // namespace
}  // namespace velkor::core
