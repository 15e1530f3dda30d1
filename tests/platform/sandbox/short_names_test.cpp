#include "platform/sandbox/short_names.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

using Names = std::vector<std::u16string>;

TEST(ShortNamesTest, RecognizesValidShortNames) {
  for (std::u16string_view name :
       {u"README.TXT", u"readme.txt", u"A", u"SETUP~1.EXE", u"12345678.123", u"$A(B)_-.{}"}) {
    EXPECT_TRUE(IsValidShortName(name)) << core::Utf16ToUtf8(name);
  }
  for (std::u16string_view name : {u"", u"Program Files", u"123456789", u"a.text", u"a.b.c",
                                   u".profile", u"a.", u"a+b", u"ä.txt"}) {
    EXPECT_FALSE(IsValidShortName(name)) << core::Utf16ToUtf8(name);
  }
}

TEST(ShortNamesTest, AssignsNumberedNamesPerStemInNameOrder) {
  struct Case {
    Names names;
    Names short_names;
  };
  const Case cases[] = {
      {{u"Program Files", u"Program Files (x86)", u"ProgramData", u"Windows"},
       {u"PROGRA~1", u"PROGRA~2", u"PROGRA~3", u"Windows"}},
      // Order of the input does not matter, only the names.
      {{u"Program Files (x86)", u"Program Files"}, {u"PROGRA~2", u"PROGRA~1"}},
      {{u"Some Long File.text", u"another file.html"}, {u"SOMELO~1.TEX", u"ANOTHE~1.HTM"}},
      {{u"a+b=c.txt", u".profile", u"my.file.name.js"},
       {u"A_B_C~1.TXT", u"PROFIL~1", u"MYFILE~1.JS"}},
      // A number whose result an entry already has as its name is skipped.
      {{u"Program Files", u"PROGRA~1"}, {u"PROGRA~2", u"PROGRA~1"}},
      {{u"long name.txt", u"LONGNA~1.TXT", u"longname2.txt"},
       {u"LONGNA~2.TXT", u"LONGNA~1.TXT", u"LONGNA~3.TXT"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssignShortNames(c.names), c.short_names) << core::Utf16ToUtf8(c.names[0]);
  }
}

TEST(ShortNamesTest, ManySiblingsKeepNamesUniqueAndShort) {
  Names names;
  for (int i = 0; i < 120; ++i) names.push_back(u"Document number " + core::U16(std::to_string(i)));
  const Names short_names = AssignShortNames(names);
  std::set<std::u16string> unique(short_names.begin(), short_names.end());
  EXPECT_EQ(unique.size(), names.size());
  for (const std::u16string& name : short_names) {
    EXPECT_TRUE(IsValidShortName(name)) << core::Utf16ToUtf8(name);
  }
  EXPECT_EQ(short_names[0], u"DOCUME~1");
  // "Document number 9" sorts last of the first twelve.
  EXPECT_EQ(AssignShortNames({names.begin(), names.begin() + 12})[9], u"DOCUM~12");
}

}  // namespace
}  // namespace velkor::platform::sandbox
