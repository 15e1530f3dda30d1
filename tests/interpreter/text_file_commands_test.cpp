// "Read from Text File", "Write to Text File", "Get Environment" and "Get Temporary
// File": the line form as a table, then the commands run through the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "interpreter/interpreter_fixture.h"
#include "interpreter/text_file_lines.h"

namespace velkor::interpreter {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

TEST(TextFileLinesTest, DecodeSplitsAtEveryLineEndAndSkipsTheMark) {
  struct Case {
    std::string bytes;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {kBom, {}},
      {"one", {u"one"}},
      {"one\r\n", {u"one"}},
      {"one\r\ntwo", {u"one", u"two"}},
      {"a\n\nb\r", {u"a", u"", u"b"}},
      {"a\rb\r\n\r\n", {u"a", u"b", u""}},
      {"\r\n", {u""}},
      {std::string(kBom) + "x\r\ny\r\n", {u"x", u"y"}},
      {"caf\xC3\xA9", {u"caf\u00E9"}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeTextLines(c.bytes), c.lines) << c.bytes;
}

TEST(TextFileLinesTest, EncodeWritesTheMarkAndCrLfAfterEveryLine) {
  EXPECT_EQ(EncodeTextLines({}), kBom);
  EXPECT_EQ(EncodeTextLines({u"a", u"", u"caf\u00E9"}),
            std::string(kBom) + "a\r\n\r\ncaf\xC3\xA9\r\n");
  const std::vector<std::u16string> lines = {u"x", u"", u"y"};
  EXPECT_EQ(DecodeTextLines(EncodeTextLines(lines)), lines);
}

}  // namespace

namespace testing {
namespace {

constexpr std::u16string_view kList = u"C:\\data\\list.txt";

TEST(TextFileRunTest, ReadsLineByLineAndClosesAtTheEnd) {
  ScriptRun run(R"(
Read from Text File: C:\data\list.txt, L1, EOF1
Read from Text File: C:\DATA\LIST.TXT, L2, EOF2
Read from Text File: C:\data\\list.txt, L3, EOF3
Read from Text File: C:\data\list.txt, L4, EOF4
)");
  ASSERT_TRUE(run.machine().ok());
  run.machine().Put(kList, std::string(kBom) + "one\r\ntwo\r\nthree");
  run.Run();
  EXPECT_EQ(run.Var8(u"L1"), "one");
  EXPECT_EQ(run.Var8(u"EOF1"), "FALSE");
  EXPECT_EQ(run.Var8(u"L2"), "two");
  EXPECT_EQ(run.Var8(u"L3"), "three");
  EXPECT_EQ(run.Var8(u"EOF3"), "TRUE");
  // The end closed the file: the next read starts again.
  EXPECT_EQ(run.Var8(u"L4"), "one");
  EXPECT_EQ(run.Var8(u"EOF4"), "FALSE");
}

TEST(TextFileRunTest, ReadAllEmptyMissingAndAnotherPath) {
  ScriptRun run(R"(
Read from Text File: C:\data\list.txt, FIRST
Read from Text File: #READALL\C:\data\list.txt, REST, REST_END
Read from Text File: #READALL\C:\data\list.txt, ALL
Read from Text File: #readall\C:\data\list.txt, LOWER, LOWER_END
Set Variable: EMPTY$KEVO$KEVO$FALSE, old
Read from Text File: C:\data\empty.txt, EMPTY, EMPTY_END
Read from Text File: C:\data\missing.txt, MISSING, MISSING_END
Read from Text File: C:\data\list.txt, A1
Read from Text File: C:\data\other.txt, B1
Read from Text File: C:\data\list.txt, A2
)");
  ASSERT_TRUE(run.machine().ok());
  run.machine().Put(kList, "one\r\ntwo\r\nthree\r\n");
  run.machine().Put(u"C:\\data\\empty.txt", "");
  run.machine().Put(u"C:\\data\\other.txt", "x\r\ny\r\n");
  run.Run();
  EXPECT_EQ(run.Var8(u"FIRST"), "one");
  // Read-all takes the lines not read yet.
  EXPECT_EQ(run.Var8(u"REST"), "two$NEWLINE$three");
  EXPECT_EQ(run.Var8(u"REST_END"), "TRUE");
  EXPECT_EQ(run.Var8(u"ALL"), "one$NEWLINE$two$NEWLINE$three");
  // The prefix is case-sensitive: in lower case it is part of a path that does not exist.
  EXPECT_EQ(run.Var8(u"LOWER"), "");
  EXPECT_EQ(run.Var8(u"LOWER_END"), "TRUE");
  EXPECT_EQ(run.Var8(u"EMPTY"), "old");
  EXPECT_EQ(run.Var8(u"EMPTY_END"), "TRUE");
  EXPECT_EQ(run.Var8(u"MISSING_END"), "TRUE");
  // Reading another file closed the first one.
  EXPECT_EQ(run.Var8(u"A1"), "one");
  EXPECT_EQ(run.Var8(u"B1"), "x");
  EXPECT_EQ(run.Var8(u"A2"), "one");
}

TEST(TextFileRunTest, WritesAddLinesAsUtf8WithMarkAndClearReadOnly) {
  constexpr std::u16string_view kLog = u"C:\\data\\log.txt";
  ScriptRun run(R"(
Set Variable: WHO$KEVO$KEVO$FALSE, caf$NEWLINE$é
Write to Text File: C:\data\log.txt, first, FALSE
Write to Text File: C:\data\\log.txt, second $WHO$, FALSE
Write to Text File: C:\data\log.txt, zero, TRUE
Write to Text File: C:\data\locked.txt, more, FALSE
Write to Text File: C:\no such folder\x.txt, lost, FALSE
Set Variable: AFTER$KEVO$KEVO$FALSE, ran
)");
  ASSERT_TRUE(run.machine().ok());
  run.machine().Put(u"C:\\data\\locked.txt", "old\n");
  ASSERT_TRUE(
      run.machine().files().SetAttributes(u"C:\\data\\locked.txt", platform::attribute::kReadOnly));
  run.Run();
  EXPECT_EQ(run.ReadFile(kLog).value_or("(missing)"),
            std::string(kBom) + "zero\r\nfirst\r\nsecond caf\r\n\xC3\xA9\r\n");
  EXPECT_EQ(run.ReadFile(u"C:\\data\\locked.txt").value_or("(missing)"),
            std::string(kBom) + "old\r\nmore\r\n");
  EXPECT_EQ(run.machine().files().GetAttributes(u"C:\\data\\locked.txt").value_or(0) &
                platform::attribute::kReadOnly,
            0u);
  // A write that fails is ignored.
  EXPECT_EQ(run.Var8(u"AFTER"), "ran");
}

TEST(TextFileRunTest, WritingTheFileBeingReadClosesIt) {
  ScriptRun run(R"(
Read from Text File: C:\data\list.txt, L1
Read from Text File: C:\data\list.txt, L2
Write to Text File: C:\DATA\list.txt, added, FALSE
Read from Text File: C:\data\list.txt, L3
Read from Text File: #READALL\C:\data\list.txt, REST
)");
  ASSERT_TRUE(run.machine().ok());
  run.machine().Put(kList, "one\r\ntwo\r\n");
  run.Run();
  EXPECT_EQ(run.Var8(u"L2"), "two");
  EXPECT_EQ(run.Var8(u"L3"), "one");
  EXPECT_EQ(run.Var8(u"REST"), "two$NEWLINE$added");
}

TEST(EnvironmentRunTest, GetEnvironmentByNameOrAll) {
  ScriptRun run(R"(
Set Variable: NAME$KEVO$KEVO$FALSE, SystemDrive
Get Environment: $NAME$, DRIVE
Get Environment: VELKOR_NOT_SET, UNSET
Get Environment: "", ALL
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"DRIVE"), "C:");
  EXPECT_EQ(run.Var8(u"UNSET"), "%VELKOR_NOT_SET%");
  const std::string all = "$NEWLINE$" + run.Var8(u"ALL") + "$NEWLINE$";
  EXPECT_NE(all.find("$NEWLINE$SystemDrive=C:$NEWLINE$"), std::string::npos) << all;
  EXPECT_EQ(all.find("\r\n"), std::string::npos);
}

TEST(EnvironmentRunTest, GetTemporaryFileCreatesAnEmptyFileInTheTemporaryFolder) {
  ScriptRun run(R"(
Get Temporary File: FIRST
Get Temporary File: SECOND
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  const std::u16string first = run.Var(u"FIRST");
  const std::u16string folder = run.Var(u"TEMPDIR");
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(first.rfind(folder + u"vex", 0), 0u) << core::Utf16ToUtf8(first);
  EXPECT_TRUE(first.ends_with(u".tmp")) << core::Utf16ToUtf8(first);
  EXPECT_EQ(run.ReadFile(first), std::optional<std::string>(""));
  EXPECT_NE(run.Var(u"SECOND"), first);
  EXPECT_TRUE(run.machine().files().FileExists(run.Var(u"SECOND")));
}

}  // namespace
}  // namespace testing
}  // namespace velkor::interpreter
