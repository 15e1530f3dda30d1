// Lookups of the loaded script: parameters, headers, components, web media keys,
// compile-time constants and the line index behind them.
#include <gtest/gtest.h>

#include "script/compile_constants.h"
#include "script/script_error.h"
#include "script/script_tables.h"
#include "script_test_support.h"

namespace velkor::script {
namespace {

using testing::KeyOf;
using testing::ScriptOf;
using testing::Statement;

TEST(ScriptTablesTest, StatementParamCountsFromTheKeyLine) {
  const ScriptTables t = testing::TablesOf(ScriptOf({
      Statement(u"MessageBox", {u"one", u"two"}),
      Statement(u"Comment"),
      Statement(u"Label", {u"last"}),
  }));
  EXPECT_EQ(t.GetStatementParam(KeyOf(0), 0), KeyOf(0));
  EXPECT_EQ(t.GetStatementParam(KeyOf(0), 1), u"one");
  EXPECT_EQ(t.GetStatementParam(core::Lower(KeyOf(0)), 2), u"two");  // keys compare ignoring case
  // Positions run on through the table: parameter 3 of the first block is the next key.
  EXPECT_EQ(t.GetStatementParam(KeyOf(0), 3), KeyOf(2));
  EXPECT_EQ(t.GetStatementParam(KeyOf(2), 1), u"last");
  // Past the end of the table, a negative number, a statement without a block, an
  // unknown key: empty text.
  EXPECT_EQ(t.GetStatementParam(KeyOf(2), 2), u"");
  EXPECT_EQ(t.GetStatementParam(KeyOf(2), 2147483647), u"");
  EXPECT_EQ(t.GetStatementParam(KeyOf(0), -1), u"");
  EXPECT_EQ(t.GetStatementParam(KeyOf(1), 1), u"");
  EXPECT_EQ(t.GetStatementParam(u"{nope}", 0), u"");
  EXPECT_EQ(t.StatementParam(99, 0), u"");
}

TEST(ScriptTablesTest, FirstBlockOfARepeatedKeyWins) {
  // Two statements share one key: both lookups find the first block.
  CompiledScript script = ScriptOf({Statement(u"A", {u"first"}), Statement(u"B", {u"second"})});
  script.statements[1].key = script.statements[0].key;
  const ScriptTables t = testing::TablesOf(script);
  EXPECT_EQ(t.StatementParam(0, 1), u"first");
  EXPECT_EQ(t.StatementParam(1, 1), u"first");
  EXPECT_EQ(t.statements().FindKey(script.statements[0].key), 0u);
}

TEST(ScriptTablesTest, LaterParameterTablesAnswerOnlyForKeysTheFirstLacks) {
  ScriptTables t = testing::TablesOf(ScriptOf({Statement(u"A", {u"loaded"})}));
  IndexedLines extra;
  for (auto line : {KeyOf(0), std::u16string(u"shadowed"), std::u16string(u"{extra}"),
                    std::u16string(u"added")}) {
    extra.Append(line);
  }
  t.AddParameterTable(std::move(extra));
  EXPECT_EQ(t.GetStatementParam(KeyOf(0), 1), u"loaded");
  EXPECT_EQ(t.GetStatementParam(u"{EXTRA}", 1), u"added");
}

TEST(ScriptTablesTest, CommandHeaderIsTheLineBeforeTheIndex) {
  CompiledScript script = ScriptOf({
      Statement(u"Install Files"),
      Statement(u"Write Registry"),
      Statement(u"Install Service"),
      Statement(u"Comment"),
  });
  script.command_headers = {{u"0000000A", 0}, {u"0000000B", 1}};
  const ScriptTables t = testing::TablesOf(script);
  const std::string error = "Unable to obtain command headers. Please rebuild your project.";

  EXPECT_EQ(t.CommandHeader(0, false, false), u"0000000A");
  EXPECT_EQ(t.CommandHeader(1, false, false), u"0000000B");
  EXPECT_EQ(t.CommandHeader(0, false, true), u"0000000A");  // a file command needs its header
  // The native engine needs no header for other commands: empty, without an error.
  EXPECT_EQ(t.CommandHeader(1, false, true), u"");
  // Missing: empty in tolerant mode, the error otherwise.
  EXPECT_EQ(t.CommandHeader(2, true, true), u"");
  EXPECT_EQ(t.CommandHeader(3, true, false), u"");
  for (const bool native : {false, true}) {
    try {
      t.CommandHeader(2, false, native);
      ADD_FAILURE() << "no error";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.message(), core::U16(error));
      EXPECT_EQ(std::string(e.what()), error);
    }
  }
}

TEST(ScriptTablesTest, CommandHeaderOfTheFirstLineHasNoLineBefore) {
  CompiledScript script = ScriptOf({Statement(u"Install Files"), Statement(u"Install Files")});
  script.command_headers = {{u"1", 0}};  // "1" also reads as statement 1's index
  const ScriptTables t = testing::TablesOf(script);
  EXPECT_EQ(t.CommandHeader(0, true, false), u"1");
  EXPECT_EQ(t.CommandHeader(1, true, false), u"");
}

TEST(ScriptTablesTest, ComponentSizeFirstMatchAndAdditions) {
  CompiledScript script;
  script.component_sizes = {{u"Core", 100}, {u"CORE", 200}};
  ScriptTables t = testing::TablesOf(script);
  EXPECT_EQ(t.ComponentSize(u"core"), 100);
  EXPECT_EQ(t.ComponentSize(u"Missing"), 0);
  t.AddComponentSize(u"Kern", 100);  // a translated name keeps the recorded size
  t.AddComponentSize(u"Core", 999);  // the earlier pair still answers
  EXPECT_EQ(t.ComponentSize(u"KERN"), 100);
  EXPECT_EQ(t.ComponentSize(u"Core"), 100);
  EXPECT_EQ(t.ComponentSizes().size(), 4u);
}

TEST(ScriptTablesTest, WebMediaKeyMatchesNamesOnly) {
  CompiledScript script;
  script.web_media_keys = {{u"Offline", u"Block2"}, {u"Block2", u"secret"}};
  const ScriptTables t = testing::TablesOf(script);
  EXPECT_EQ(t.WebMediaKey(u"OFFLINE"), u"Block2");
  EXPECT_EQ(t.WebMediaKey(u"block2"), u"secret");  // not the value "Block2" above
  EXPECT_EQ(t.WebMediaKey(u"secret"), u"");
}

TEST(ScriptTablesTest, InstallMapGroupsAndStrayLines) {
  const std::vector<std::u16string> lines = {
      u"stray",    u"pair",  // before any group: dropped
      u"0000000A", u"NEWHEADER", u"a\\1",     u"",
      u"a\\2",     u"sub\\",     u"0000000B", u"NEWHEADER",  // empty group
      u"0000000a", u"NEWHEADER", u"c\\1",     u"x\\",        // same header in another case
      u"0000000C", u"NEWHEADER", u"odd"};                    // odd last line: empty target
  const InstallMap map = InstallMap::FromLines(lines);
  ASSERT_EQ(map.size(), 4u);
  EXPECT_EQ(map.Find(u"0000000a")->files.size(), 2u);  // the first of the two
  EXPECT_TRUE(map.Find(u"0000000B")->files.empty());
  EXPECT_EQ(map.Find(u"0000000C")->files,
            (std::vector<std::pair<std::u16string, std::u16string>>{{u"odd", u""}}));
  EXPECT_EQ(map.Find(u"0000000D"), nullptr);
}

KeyedPairs<std::u16string> Constants(
    std::initializer_list<std::pair<std::u16string, std::u16string>> pairs) {
  KeyedPairs<std::u16string> constants;
  for (const auto& [name, value] : pairs) constants.Append(name, value);
  return constants;
}

TEST(ScriptTablesTest, ExpandCompileConstants) {
  const struct {
    const char* what;
    KeyedPairs<std::u16string> constants;
    std::u16string text;
    std::u16string expected;
  } cases[] = {
      {"plain", Constants({{u"MODE", u"ALL"}}), u"#mode#", u"ALL"},
      {"every occurrence, any case", Constants({{u"A", u"x"}}), u"#A#-#a#-#A", u"x-x-#A"},
      {"no number sign", Constants({{u"A", u"x"}}), u"A", u"A"},
      {"unknown constant", Constants({{u"A", u"x"}}), u"#B#", u"#B#"},
      {"no constants", Constants({}), u"#A#", u"#A#"},
      {"reference to a later constant", Constants({{u"A", u"#B#"}, {u"B", u"x"}}), u"#A#", u"x"},
      {"reference to an earlier constant: another pass", Constants({{u"B", u"x"}, {u"A", u"#B#"}}),
       u"#A#", u"x"},
      {"chain against table order",
       Constants({{u"D", u"end"}, {u"C", u"#D#"}, {u"B", u"#C#"}, {u"A", u"#B#"}}), u"#A#", u"end"},
      {"inserted text is not rescanned in its pass", Constants({{u"A", u"#A#"}}), u"#A#", u"#A#"},
      {"two constants naming each other", Constants({{u"A", u"#B#"}, {u"B", u"#A#"}}), u"#A#",
       u"#A#"},
      {"the same against table order", Constants({{u"B", u"#A#"}, {u"A", u"#B#"}}), u"#A#", u"#B#"},
      {"growing self-reference stops", Constants({{u"A", u"x#A#"}}), u"#A#", u"xxx#A#"},
      {"value with a lone number sign", Constants({{u"A", u"1#"}}), u"#A#", u"1#"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExpandCompileConstants(c.constants, c.text), c.expected) << c.what;
  }
}

TEST(ScriptTablesTest, ExpandCompileConstantsEndsOnDoublingConstants) {
  // Forty constants, each the next one twice: a full expansion would hold 2^40
  // references. The length limit ends it instead.
  KeyedPairs<std::u16string> constants;
  for (int i = 0; i < 40; ++i) {
    const std::u16string next = u"#C" + core::DecimalText(static_cast<int32_t>(i + 1)) + u"#";
    constants.Append(u"C" + core::DecimalText(static_cast<int32_t>(i)), next + next);
  }
  const std::u16string result = ExpandCompileConstants(constants, u"#C0#");
  EXPECT_LE(result.size(), kMaxExpandedConstantLength);
}

TEST(ScriptTablesTest, LineIndexFindsTheFirstOfManyLines) {
  IndexedLines lines;
  for (int i = 0; i < 50000; ++i) {
    lines.Append(u"Line " + core::DecimalText(static_cast<int32_t>(i % 20000)));
  }
  EXPECT_EQ(lines.Find(u"LINE 19999"), 19999u);
  EXPECT_EQ(lines.Find(u"line 5"), 5u);
  EXPECT_EQ(lines.Find(u"Line 20000"), std::nullopt);
  EXPECT_EQ(lines[20005], u"Line 5");
  EXPECT_EQ(lines[50000], u"");
  IndexedLines empty;
  EXPECT_EQ(empty.Find(u""), std::nullopt);
  empty.Append(u"");
  EXPECT_EQ(empty.Find(u""), 0u);
}

TEST(ScriptTablesTest, LineIndexIgnoresCaseBeyondAscii) {
  IndexedLines lines;
  lines.Append(u"\u00C9COLE");
  lines.Append(u"\u00E9cole");
  EXPECT_EQ(lines.Find(u"\u00E9COLE"), 0u);
}

}  // namespace
}  // namespace velkor::script
