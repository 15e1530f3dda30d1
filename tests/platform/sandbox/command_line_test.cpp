#include "platform/sandbox/command_line.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

using Arguments = std::vector<std::u16string>;

TEST(WindowsCommandLineTest, SplitsLikeCommandLineToArgvW) {
  struct Case {
    std::u16string_view line;
    Arguments arguments;
  };
  const Case cases[] = {
      {u"", {}},
      {u"setup.exe", {u"setup.exe"}},
      {u"\"C:\\Setup Files\\setup.exe\" /s", {u"C:\\Setup Files\\setup.exe", u"/s"}},
      {u"setup.exe   a\t\tb  ", {u"setup.exe", u"a", u"b"}},
      // The program part knows no escapes and ends at its closing quote.
      {u"\"C:\\a\\\"b c", {u"C:\\a\\", u"b", u"c"}},
      {u"\"a b\"c d", {u"a b", u"c", u"d"}},
      {u"p TARGETDIR=\"C:\\My Apps\"", {u"p", u"TARGETDIR=C:\\My Apps"}},
      {u"p \"a\\\\\" b", {u"p", u"a\\", u"b"}},
      {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},
      {u"p a\\b\\\\c", {u"p", u"a\\b\\\\c"}},
      {u"p \"\"", {u"p", u""}},
      {u"p \"a\"\"b\"", {u"p", u"a\"b"}},
      {u"p \"\"\"a\"\"\"", {u"p", u"\"a\""}},
      {u"p a\"b c\"d", {u"p", u"ab cd"}},
      {u"p \"unterminated arg", {u"p", u"unterminated arg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.line));
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
  }
}

TEST(WindowsCommandLineTest, BuiltCommandLinesSplitBackIntoTheirArguments) {
  const Arguments arguments = {
      u"/s",      u"",           u"two words",  u"tab\there", u"quote\"inside",
      u"trail\\", u"trail \\",   u"\\\\server", u"a\\\"b",    u"C:\\x y\\",
      u"\"",      u"NAME:VALUE", u"%PATH%"};
  const std::u16string line = BuildCommandLine(u"C:\\Setup Files\\setup.exe", arguments);
  Arguments expected = {u"C:\\Setup Files\\setup.exe"};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(SplitCommandLine(line), expected) << core::Utf16ToUtf8(line);
}

TEST(WindowsCommandLineTest, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(QuoteArgument(u"/s"), u"/s");
  EXPECT_EQ(QuoteArgument(u"C:\\dir\\"), u"C:\\dir\\");
  EXPECT_EQ(QuoteArgument(u"a b"), u"\"a b\"");
  EXPECT_EQ(QuoteArgument(u"C:\\a b\\"), u"\"C:\\a b\\\\\"");
  EXPECT_EQ(QuoteArgument(u""), u"\"\"");
  EXPECT_EQ(BuildCommandLine(u"C:\\s.exe", {u"/s", u"X=a b"}), u"\"C:\\s.exe\" /s \"X=a b\"");
}

}  // namespace
}  // namespace velkor::platform::sandbox
