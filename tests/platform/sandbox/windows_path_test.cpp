#include "platform/sandbox/windows_path.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

TEST(WindowsPathTest, AcceptedFormsNormalizeLexically) {
  struct Case {
    std::u16string_view text;
    std::u16string_view normalized;
  };
  const Case cases[] = {
      {u"C:\\", u"C:\\"},
      {u"c:/", u"C:\\"},
      {u"C:\\Windows\\System32", u"C:\\Windows\\System32"},
      {u"d:/a/b/", u"D:\\a\\b"},
      {u"C:\\a\\\\b//c", u"C:\\a\\b\\c"},
      {u"\\\\?\\C:\\a\\b", u"C:\\a\\b"},
      {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c"},
      // ".." never climbs above the drive root.
      {u"C:\\..\\..\\etc\\passwd", u"C:\\etc\\passwd"},
      {u"C:\\a\\..\\..\\..\\b", u"C:\\b"},
      {u"\\\\?\\C:\\..\\x", u"C:\\x"},
      // Windows drops trailing dots and blanks of names.
      {u"C:\\name. \\file.txt.", u"C:\\name\\file.txt"},
      {u"C:\\Program Files (x86)\\A & B", u"C:\\Program Files (x86)\\A & B"},
      {u"C:\\console\\null.txt", u"C:\\console\\null.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.text));
    Result<WindowsPath> path = ParseWindowsPath(c.text);
    ASSERT_TRUE(path.ok()) << core::Utf16ToUtf8(path.status().message());
    EXPECT_EQ(path->Text(), c.normalized);
  }
}

TEST(WindowsPathTest, RefusedFormsFailWithTheirCode) {
  struct Case {
    std::u16string_view text;
    uint32_t code;
  };
  const Case cases[] = {
      {u"", error::kBadPathname},
      {u"relative\\file.txt", error::kBadPathname},
      {u"\\rooted\\without\\drive", error::kBadPathname},
      {u"/etc/passwd", error::kBadPathname},
      {u"C:", error::kBadPathname},
      {u"C:file.txt", error::kBadPathname},
      {u"\\\\server\\share\\file", error::kBadPathname},
      {u"\\\\.\\C:\\file", error::kBadPathname},
      {u"\\\\?\\UNC\\server\\share", error::kBadPathname},
      {u"1:\\x", error::kBadPathname},
      {u"C:\\a\\b:stream", error::kInvalidName},
      {u"C:\\a<b", error::kInvalidName},
      {u"C:\\a*", error::kInvalidName},
      {u"C:\\a?b", error::kInvalidName},
      {u"C:\\nul", error::kInvalidName},
      {u"C:\\dir\\COM1.txt", error::kInvalidName},
      {u"C:\\LPT9 .log\\x", error::kInvalidName},
      {u"C:\\...", error::kInvalidName},
      {u"C:\\a\ttab", error::kInvalidName},
      {std::u16string_view(u"C:\\a\0b", 6), error::kInvalidName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.text));
    EXPECT_EQ(ParseWindowsPath(c.text).code(), c.code);
  }
  const std::u16string long_name(256, u'x');
  EXPECT_EQ(ParseWindowsPath(u"C:\\" + long_name).code(), error::kInvalidName);
  EXPECT_TRUE(ParseWindowsPath(u"C:\\" + long_name.substr(1)).ok());
}

TEST(WindowsPathTest, PatternsKeepWildcardsAndDotsInTheLastComponentOnly) {
  Result<WindowsPath> pattern = ParseWindowsPath(u"C:\\dir\\*.", LastComponent::kPattern);
  ASSERT_TRUE(pattern.ok());
  EXPECT_EQ(pattern->components.back(), u"*.");
  EXPECT_TRUE(ParseWindowsPath(u"C:\\dir\\a?c.*", LastComponent::kPattern).ok());
  EXPECT_EQ(ParseWindowsPath(u"C:\\d*r\\x", LastComponent::kPattern).code(), error::kInvalidName);
}

TEST(WindowsPathTest, RemembersPrefixAndTrailingSeparator) {
  Result<WindowsPath> path = ParseWindowsPath(u"\\\\?\\C:\\Dir\\");
  ASSERT_TRUE(path.ok());
  EXPECT_TRUE(path->long_prefix);
  EXPECT_TRUE(path->trailing_separator);
  EXPECT_EQ(path->Parent().Text(), u"C:\\");
  EXPECT_TRUE(path->Parent().is_root());
}

}  // namespace
}  // namespace velkor::platform::sandbox
