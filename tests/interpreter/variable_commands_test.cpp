// "Set Variable", "Localization Variable", "Replace String", "Parse String", "Convert
// Case", "Extract Path" and "Convert Path": their text work as tables, then each
// command run through the engine.
#include "interpreter/variable_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "interpreter/interpreter_fixture.h"
#include "interpreter/string_operations.h"

namespace velkor::interpreter {
namespace {

std::string Utf8(std::u16string_view text) {
  return core::Utf16ToUtf8(text);
}

TEST(VariableCommandsTest, SetVariableNameAndPersistFlag) {
  struct Case {
    std::u16string parameter;
    SetVariableTarget expected;
  };
  const Case cases[] = {
      {u"NAME$KEVO$KEVO$TRUE", {u"NAME", true}},
      {u"NAME$KEVO$KEVO$FALSE", {u"NAME", false}},
      // Only "TRUE" exactly: the flag is not a Boolean in the usual reading.
      {u"NAME$KEVO$KEVO$true", {u"NAME", false}},
      {u"NAME$KEVO$KEVO$-1", {u"NAME", false}},
      {u"NAME$KEVO$KEVO$", {u"NAME", false}},
      {u"NAME", {u"NAME", false}},
      {u"$NAME$$KEVO$KEVO$TRUE", {u"$NAME$", true}},
      {u"$KEVO$KEVO$TRUE", {u"", true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadSetVariableTarget(c.parameter), c.expected) << Utf8(c.parameter);
  }
  EXPECT_EQ(LocalizationKey(u"GREETING"), u"TALLOWAY$GREETING$TALLOWAY");
}

TEST(VariableCommandsTest, ReplaceTextFirstOrEveryOccurrence) {
  struct Case {
    std::u16string text, search, replacement;
    bool ignore_case, replace_all;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"a-b-c", u"-", u"+", false, false, u"a+b-c"},
      {u"a-b-c", u"-", u"+", false, true, u"a+b+c"},
      {u"aXbxc", u"x", u"_", false, true, u"aXb_c"},
      {u"aXbxc", u"x", u"_", true, true, u"a_b_c"},
      {u"aXbxc", u"x", u"_", true, false, u"a_bxc"},
      {u"abc", u"z", u"_", false, true, u"abc"},
      {u"abc", u"b", u"", false, true, u"ac"},
      // An empty search text finds nothing: no change, and no endless loop.
      {u"abc", u"", u"x", false, true, u"abc"},
      // Replacements are not searched again: no growth without end.
      {u"aa", u"a", u"aa", false, true, u"aaaa"},
      {u"ab", u"ab", u"xaby", true, true, u"xaby"},
      // Occurrences do not overlap; the scan goes on after each one.
      {u"aaaa", u"aa", u"b", false, true, u"bb"},
      {u"aaa", u"aa", u"b", false, true, u"ba"},
      {u"one$NEWLINE$two", u"$newline$", u" ", true, true, u"one two"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceText(c.text, c.search, c.replacement, c.ignore_case, c.replace_all),
              c.expected)
        << Utf8(c.text) << " / " << Utf8(c.search);
  }
}

TEST(VariableCommandsTest, SplitTextByModeSeparatorAndCount) {
  struct Case {
    std::u16string text, separator;
    int32_t mode;
    bool ignore_case, trim;
    SplitParts expected;
  };
  const Case cases[] = {
      // "0": first occurrence; not found gives (S, "").
      {u"a,b,c", u",", 0, false, false, {u"a", u"b,c"}},
      {u"abc", u",", 0, false, false, {u"abc", u""}},
      {u"a::b", u"::", 0, false, false, {u"a", u"b"}},
      // "1": last occurrence; not found gives ("", S).
      {u"a,b,c,d", u",", 1, false, false, {u"a,b,c", u"d"}},
      {u"abc", u",", 1, false, false, {u"", u"abc"}},
      // An empty separator is never found.
      {u"abc", u"", 0, false, false, {u"abc", u""}},
      {u"abc", u"", 1, false, false, {u"", u"abc"}},
      // Ignoring case searches lower-cased copies but cuts the original text.
      {u"OneANDTwo", u"and", 0, true, false, {u"One", u"Two"}},
      {u"OneANDTwo", u"and", 0, false, false, {u"OneANDTwo", u""}},
      {u"xAy", u"a", 1, true, false, {u"x", u"y"}},
      // "2": the first N characters and the rest.
      {u"abcdef", u"2", 2, false, false, {u"ab", u"cdef"}},
      {u"abcdef", u"0", 2, false, false, {u"", u"abcdef"}},
      {u"abcdef", u"6", 2, false, false, {u"abcdef", u""}},
      {u"abcdef", u"99", 2, false, false, {u"abcdef", u""}},
      {u"abcdef", u"-3", 2, false, false, {u"", u"abcdef"}},
      {u"abcdef", u"two", 2, false, false, {u"", u""}},
      // "3": the last N characters.
      {u"abcdef", u"2", 3, false, false, {u"abcd", u"ef"}},
      {u"abcdef", u"0", 3, false, false, {u"abcdef", u""}},
      // All of the text as the last N characters: nothing is lost.
      {u"abcdef", u"6", 3, false, false, {u"", u"abcdef"}},
      {u"abcdef", u"7", 3, false, false, {u"", u"abcdef"}},
      {u"abcdef", u"", 3, false, false, {u"", u""}},
      // Other modes give two empty parts.
      {u"a,b", u",", 4, false, false, {u"", u""}},
      {u"a,b", u",", -1, false, false, {u"", u""}},
      // Trim: blanks and control characters at both ends of both parts.
      {u" a \t= b\r\n", u"=", 0, false, true, {u"a", u"b"}},
      {u"  all  ", u"=", 0, false, true, {u"all", u""}},
  };
  for (const Case& c : cases) {
    const SplitParts parts = SplitText(c.text, c.separator, c.mode, c.ignore_case, c.trim);
    EXPECT_EQ(parts, c.expected) << Utf8(c.text) << " / " << Utf8(c.separator) << " mode " << c.mode
                                 << " gave (" << Utf8(parts.first) << ", " << Utf8(parts.second)
                                 << ")";
  }
}

}  // namespace

namespace testing {
namespace {

TEST(VariableCommandsRunTest, SetVariableAssignsAndPersistsOnlyWithTheExactFlag) {
  ScriptRun run(R"(
Set Variable: KEPT$KEVO$KEVO$TRUE, one
Set Variable: kept$KEVO$KEVO$TRUE, two
Set Variable: LOOSE$KEVO$KEVO$true, three
Set Variable: COPY$KEVO$KEVO$FALSE, [$KEPT$]
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"KEPT"), "two");
  EXPECT_EQ(run.Var8(u"LOOSE"), "three");
  EXPECT_EQ(run.Var8(u"COPY"), "[two]");
  EXPECT_EQ(run.engine().identity.persisted_variables, std::vector<std::u16string>{u"KEPT"});
}

TEST(VariableCommandsRunTest, SettingAbortCancelsAndTheNextStatementSeesIt) {
  ScriptRun run(R"(
Set Variable: ABORT$KEVO$KEVO$FALSE, TRUE
Set Variable: SEEN$KEVO$KEVO$FALSE, $ABORT$
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"KEVO_IsCancelled"), "TRUE");
  EXPECT_EQ(run.Var8(u"SEEN"), "TRUE");
}

// Records what reaches the progress display.
class ProgressRecorder : public SilentDialogHost {
 public:
  void ShowProgress(std::u16string_view text, int64_t position) override {
    shown.emplace_back(std::u16string(text), position);
  }
  std::vector<std::pair<std::u16string, int64_t>> shown;
};

TEST(VariableCommandsRunTest, SettingProgressShowsItAtOnceWithinZeroToHundred) {
  ScriptRun run(R"(
Set Variable: PROGRESS$KEVO$KEVO$FALSE, 0
Set Variable: PROGRESSTEXT$KEVO$KEVO$FALSE, Copying
Set Variable: PROGRESS$KEVO$KEVO$FALSE, 150
Set Variable: PROGRESS$KEVO$KEVO$FALSE, -5
Set Variable: PROGRESS$KEVO$KEVO$FALSE, 42
Set Variable: OTHER$KEVO$KEVO$FALSE, 7
)");
  ASSERT_TRUE(run.machine().ok());
  ProgressRecorder recorder;
  run.set_dialog_host(&recorder);
  run.Run();
  using Shown = std::pair<std::u16string, int64_t>;
  EXPECT_EQ(recorder.shown,
            (std::vector<Shown>{
                {u"", 0}, {u"Copying", 0}, {u"Copying", 100}, {u"Copying", 0}, {u"Copying", 42}}));
}

TEST(VariableCommandsRunTest, LocalizationVariableAssignsTheExpandedText) {
  ScriptRun run(R"(
Set Variable: WHO$KEVO$KEVO$FALSE, world
Localization Variable: GREETING, "Hello, $WHO$!"
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"GREETING"), "Hello, world!");
}

TEST(VariableCommandsRunTest, ReplaceStringKeepsLineMarkersAndNeverLoops) {
  ScriptRun run(R"(
Set Variable: TEXT$KEVO$KEVO$FALSE, one$NEWLINE$two$NEWLINE$One
Replace String: TEXT, one, 1, TRUE, TRUE
Set Variable: FIRST$KEVO$KEVO$FALSE, a-b-c
Replace String: FIRST, -, +, FALSE, FALSE
Set Variable: GROW$KEVO$KEVO$FALSE, xx
Replace String: GROW, x, xx, FALSE, TRUE
Set Variable: SAME$KEVO$KEVO$FALSE, abc
Replace String: SAME, "", z, FALSE, TRUE
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"TEXT"), "1$NEWLINE$two$NEWLINE$1");
  EXPECT_EQ(run.Var8(u"FIRST"), "a+b-c");
  EXPECT_EQ(run.Var8(u"GROW"), "xxxx");
  EXPECT_EQ(run.Var8(u"SAME"), "abc");
}

TEST(VariableCommandsRunTest, ParseStringAssignsTheNamedPartsOnly) {
  ScriptRun run(R"(
Set Variable: LIST$KEVO$KEVO$FALSE, C:\\a\b\c
Parse String: $LIST$, \, HEAD, TAIL, 1, FALSE, FALSE
Parse String: " key = value ", =, KEY, , 0, TRUE, FALSE
Set Variable: REST$KEVO$KEVO$FALSE, untouched
Parse String: abcdef, 2, , REST, 3, FALSE, FALSE
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  // Parameter 1 is normalized: the doubled backslash becomes one.
  EXPECT_EQ(run.Var8(u"HEAD"), "C:\\a\\b");
  EXPECT_EQ(run.Var8(u"TAIL"), "c");
  EXPECT_EQ(run.Var8(u"KEY"), "key");
  EXPECT_EQ(run.Var8(u"REST"), "ef");
}

TEST(VariableCommandsRunTest, ParseStringWithAModeThatIsNoNumberIsARuntimeError) {
  ScriptRun run(R"(
Parse String: "a,b", ",", FIRST, , first, FALSE, FALSE
Set Variable: AFTER$KEVO$KEVO$FALSE, ran
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_FALSE(run.Exists(u"AFTER"));
}

TEST(VariableCommandsRunTest, ConvertCaseAndExtractPathWorkOnTheNormalizedValue) {
  ScriptRun run(R"(
Set Variable: ROOT$KEVO$KEVO$FALSE, C:\Apps\
Set Variable: UP$KEVO$KEVO$FALSE, $ROOT$\Tool.Exe
Convert Case: UP, TRUE
Set Variable: DOWN$KEVO$KEVO$FALSE, MiXeD
Convert Case: DOWN, FALSE
Set Variable: NAME$KEVO$KEVO$FALSE, $ROOT$\sub\tool.exe
Extract Path: NAME, 1
Set Variable: PARENT$KEVO$KEVO$FALSE, $ROOT$\sub\tool.exe
Extract Path: PARENT, 4
Set Variable: ODD$KEVO$KEVO$FALSE, $ROOT$\sub\tool.exe
Extract Path: ODD, x
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"UP"), "C:\\APPS\\TOOL.EXE");
  EXPECT_EQ(run.Var8(u"DOWN"), "mixed");
  EXPECT_EQ(run.Var8(u"NAME"), "tool");
  EXPECT_EQ(run.Var8(u"PARENT"), "C:\\Apps\\");
  EXPECT_EQ(run.Var8(u"ODD"), "C:\\Apps\\sub\\tool.exe");
}

TEST(VariableCommandsRunTest, ConvertPathGivesTheLongOrShortFormOfAnExistingPath) {
  ScriptRun run(R"(
Set Variable: LONG$KEVO$KEVO$FALSE, c:\program files\long folder name\..\LONG FOLDER NAME\data file.txt
Convert Path: LONG, FALSE
Set Variable: SHORT$KEVO$KEVO$FALSE, %SystemDrive%\Program Files\Long Folder Name
Convert Path: SHORT, TRUE
Set Variable: RELATIVE$KEVO$KEVO$FALSE, readme.txt
Convert Path: RELATIVE, FALSE
Set Variable: MISSING$KEVO$KEVO$FALSE, C:\no such folder
Convert Path: MISSING, FALSE
)");
  ASSERT_TRUE(run.machine().ok());
  run.machine().Put(u"C:\\Program Files\\Long Folder Name\\Data File.txt", "data");
  run.machine().Put(u"C:\\setup\\ReadMe.TXT", "text");
  run.Run();
  EXPECT_EQ(run.Var8(u"LONG"), "C:\\Program Files\\Long Folder Name\\Data File.txt");
  EXPECT_EQ(run.Var8(u"SHORT"), "C:\\PROGRA~1\\LONGFO~1");
  // Without a drive the path is taken from the setup's folder.
  EXPECT_EQ(run.Var8(u"RELATIVE"), "C:\\setup\\ReadMe.TXT");
  EXPECT_EQ(run.Var8(u"MISSING"), "");
}

}  // namespace
}  // namespace testing
}  // namespace velkor::interpreter
