#include "platform/sandbox/wildcard.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

TEST(WildcardTest, MatchesAsFindFirstFileDoes) {
  struct Case {
    std::u16string_view pattern;
    std::u16string_view name;
    bool matches;
  };
  const Case cases[] = {
      {u"*", u"anything.at.all", true},
      {u"*.*", u"noextension", true},
      {u"*.txt", u"readme.TXT", true},
      {u"*.txt", u"archive.tar.txt", true},
      {u"*.txt", u"notes.txt.bak", false},
      {u"*.txt", u"txt", false},
      {u"*.", u"noextension", true},
      {u"*.", u"has.extension", false},
      {u"file.*", u"file", true},
      {u"file.*", u"file.cpp", true},
      {u"file.*", u"filex", false},
      {u"?.txt", u"a.txt", true},
      {u"?.txt", u"ab.txt", false},
      // "?" matches nothing at a dot or at the end.
      {u"a?.txt", u"a.txt", true},
      {u"a??", u"a", true},
      {u"a?c", u"a.c", false},
      {u"a?c", u"abc", true},
      {u"A*Z", u"abcz", true},
      {u"*b*", u"abc", true},
      {u"*b*", u"ac", false},
      {u"exact.name", u"EXACT.NAME", true},
      {u"exact.name", u"exact.names", false},
      {u"Ä*", u"äpfel", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.pattern) + " / " + core::Utf16ToUtf8(c.name));
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches);
  }
}

}  // namespace
}  // namespace velkor::platform::sandbox
