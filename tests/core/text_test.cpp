#include "core/text.h"

#include <gtest/gtest.h>

namespace velkor::core {
namespace {

TEST(TextTest, Utf8RoundTripsEveryPlane) {
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A é € 😀
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  EXPECT_EQ(utf16, (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(TextTest, InvalidUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string input;
    std::u16string expected;
  } cases[] = {
      {"\xFF", u"\uFFFD"},                                   // never a lead byte
      {"a\xC3", u"a\uFFFD"},                                 // truncated sequence at the end
      {"\xC3(", u"\uFFFD("},                                 // continuation missing
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                         // overlong form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},               // encoded surrogate: one per byte
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},     // beyond U+10FFFF
      {"\xE2\x82", u"\uFFFD"},                               // truncated three-byte sequence
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is an ordinary character
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << c.input;
}

TEST(TextTest, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, u'x'}), "\xEF\xBF\xBDx");
}

TEST(TextTest, WideRoundTrip) {
  const std::u16string text{u'x', 0x00E9, 0xD83D, 0xDE00};
  EXPECT_EQ(FromWide(ToWide(text)), text);
}

TEST(TextTest, TextFilesDecodeWithOrWithoutByteOrderMark) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFhi"), u"hi");
  EXPECT_EQ(DecodeTextFile("hi"), u"hi");
  EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFEh\0i\0", 6)), u"hi");
  EXPECT_EQ(FromUtf16LeBytes(ToUtf16LeBytes(u"\u20ACz")), u"\u20ACz");
}

}  // namespace
}  // namespace velkor::core
