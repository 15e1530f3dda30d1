// These expectations hold for the C library's mapping and for Windows' own, so they
// run natively and under Wine alike.
#include "core/case_mapping.h"

#include <gtest/gtest.h>

namespace velkor::core {
namespace {

TEST(CaseMappingTest, MapsBeyondAscii) {
  struct Case {
    char16_t upper, lower;
  } cases[] = {
      {u'A', u'a'},     {u'Z', u'z'}, {0x00C9, 0x00E9},  // É é
      {0x0102, 0x0103},                                  // Ă ă
      {0x0391, 0x03B1},                                  // Greek alpha
      {0x0416, 0x0436},                                  // Cyrillic zhe
      {0xFF21, 0xFF41},                                  // fullwidth A
      {0x0531, 0x0561},                                  // Armenian ayb
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LowerChar(c.upper), c.lower) << int(c.upper);
    EXPECT_EQ(UpperChar(c.lower), c.upper) << int(c.lower);
  }
}

TEST(CaseMappingTest, LeavesUncasedUnitsAlone) {
  for (char16_t c : {u'0', u'$', char16_t(0), char16_t(0x4E2D), char16_t(0xD83D), char16_t(0xDE00),
                     char16_t(0xFFFF)}) {
    EXPECT_EQ(LowerChar(c), c);
    EXPECT_EQ(UpperChar(c), c);
  }
}

TEST(CaseMappingTest, ComparesIgnoringCase) {
  EXPECT_TRUE(EqualIgnoreCase(u"TargetDir", u"TARGETDIR"));
  EXPECT_TRUE(EqualIgnoreCase(u"\u00C9t\u00C9", u"\u00E9T\u00E9"));
  EXPECT_FALSE(EqualIgnoreCase(u"abc", u"abcd"));
  EXPECT_FALSE(EqualIgnoreCase(u"e", u"\u00E9"));
  EXPECT_LT(CompareIgnoreCase(u"apple", u"BANANA"), 0);
  EXPECT_GT(CompareIgnoreCase(u"b", u"A"), 0);
  EXPECT_EQ(CompareIgnoreCase(u"", u""), 0);
  EXPECT_LT(CompareIgnoreCase(u"ab", u"ABC"), 0);
}

TEST(CaseMappingTest, SearchesIgnoringCase) {
  EXPECT_EQ(FindIgnoreCase(u"C:\\Program Files\\", u"program"), 3u);
  EXPECT_EQ(FindIgnoreCase(u"abcABC", u"abc", 1), 3u);
  EXPECT_EQ(FindIgnoreCase(u"abc", u"x"), std::u16string_view::npos);
  EXPECT_TRUE(StartsWithIgnoreCase(u"/L=x", u"/l="));
  EXPECT_TRUE(EndsWithIgnoreCase(u"setup.MSI", u".msi"));
  EXPECT_FALSE(EndsWithIgnoreCase(u"i", u".msi"));
  EXPECT_EQ(Lower(u"MiXeD \u0416"), u"mixed \u0436");
  EXPECT_EQ(Upper(u"mixed \u0436"), u"MIXED \u0416");
}

}  // namespace
}  // namespace velkor::core
