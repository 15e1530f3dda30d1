#include "script/variables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velkor::script {
namespace {

constexpr std::u16string_view kScriptTag = u"Set Variable Action";

std::vector<std::u16string> Names(const TVariableManager& store) {
  std::vector<std::u16string> names;
  store.ListNames(names);
  return names;
}

class VariablesTest : public ::testing::Test {
 protected:
  TVariableManager store_;
  Variables vars_{store_};
};

TEST_F(VariablesTest, DefineKeepsTheNameSetUpperCasesNewNames) {
  vars_.DefineVariable(u"TargetDir", u"C:\\App\\", u"Initialization");
  vars_.SetVariable(u"targetdir", u"D:\\App\\", kScriptTag);
  vars_.SetVariable(u"newName", u"1", kScriptTag);
  vars_.DefineVariable(u"TARGETDIR", u"E:\\App\\", u"Bootstrap");
  EXPECT_EQ(vars_.GetVariable(u"TARGETDIR"), u"E:\\App\\");
  EXPECT_EQ(vars_.GetVariable(u"NEWNAME"), u"1");
  auto names = Names(store_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"NEWNAME", u"TargetDir"}));
}

TEST_F(VariablesTest, OwnReferenceAsValueStoresEmptyText) {
  struct Case {
    const char* what;
    bool exists_before;
    bool through_set;
    std::u16string name, value;
  } cases[] = {
      {"define new, other case", false, false, u"X", u"$x$"},
      {"define existing", true, false, u"Path", u"$PATH$"},
      {"set new", false, true, u"y", u"$Y$"},
      {"set existing", true, true, u"Y", u"$y$"},
  };
  for (const auto& c : cases) {
    TVariableManager store;
    Variables vars(store);
    if (c.exists_before) store.AddItem(c.name, u"old");
    if (c.through_set) {
      vars.SetVariable(c.name, c.value, kScriptTag);
    } else {
      vars.DefineVariable(c.name, c.value, kScriptTag);
    }
    EXPECT_TRUE(vars.VariableExists(c.name)) << c.what;
    EXPECT_EQ(vars.GetVariable(c.name), u"") << c.what;
  }
  // Only the exact reference counts.
  vars_.DefineVariable(u"X", u"$X$ ", kScriptTag);
  vars_.DefineVariable(u"Z", u"$X$", kScriptTag);
  EXPECT_EQ(vars_.GetVariable(u"X"), u"$X$ ");
  EXPECT_EQ(vars_.GetVariable(u"Z"), u"$X$");
}

// The ":" list always protects, the "=" list only in silent mode; each list has the
// one writer tag that may still write.
TEST_F(VariablesTest, CommandLineValuesAreProtected) {
  using List = std::vector<std::u16string>;
  const std::u16string tag_eq(kTagInjectOverride), tag_colon(kTagInjectOverrideEx);
  struct Case {
    const char* what;
    bool silent;
    List equals_list, colon_list;
    std::u16string tag;
    bool changes;
    std::u16string name = u"name";
  } cases[] = {
      {"'=' silent", true, {u"NAME", u"V"}, {}, u"Set Variable Action", false},
      {"'=' not silent", false, {u"NAME", u"V"}, {}, u"Set Variable Action", true},
      {"'=' silent, its own tag", true, {u"NAME", u"V"}, {}, tag_eq, true},
      {"'=' silent, the ':' tag", true, {u"NAME", u"V"}, {}, tag_colon, false},
      {"'=' silent, name in other case", true, {u"name", u"V"}, {}, u"Set Variable Action", false},
      {"'=' at a value position only", true, {u"OTHER", u"NAME"}, {}, u"Set Variable Action", true},
      {"'=' at a later name position",
       true,
       {u"OTHER", u"NAME", u"NAME", u"V"},
       {},
       u"Set Variable Action",
       false},
      {"':' not silent", false, {}, {u"NAME", u"V"}, u"Set Variable Action", false},
      {"':' silent", true, {}, {u"NAME", u"V"}, u"Set Variable Action", false},
      {"':' its own tag", true, {}, {u"NAME", u"V"}, tag_colon, true},
      {"':' the '=' tag", false, {}, {u"NAME", u"V"}, tag_eq, false},
      {"':' at a value position only", false, {}, {u"X", u"NAME"}, u"Bootstrap", true},
      {"both lists, '=' tag, silent", true, {u"NAME", u"V"}, {u"NAME", u"V"}, tag_eq, false},
      {"both lists, ':' tag, silent", true, {u"NAME", u"V"}, {u"NAME", u"V"}, tag_colon, false},
      {"both lists, ':' tag, not silent", false, {u"NAME", u"V"}, {u"NAME", u"V"}, tag_colon, true},
      {"other name",
       true,
       {u"NAME", u"V"},
       {u"NAME", u"V"},
       u"Set Variable Action",
       true,
       u"OTHER"},
  };
  for (const auto& c : cases) {
    TVariableManager store;
    Variables vars(store);
    vars.SetSilent(c.silent);
    vars.SetCommandLineLists(c.equals_list, c.colon_list);
    store.AddItem(c.name, u"V");
    vars.SetVariable(c.name, u"W", c.tag);
    EXPECT_EQ(vars.GetVariable(c.name), c.changes ? u"W" : u"V") << c.what;
  }
}

TEST_F(VariablesTest, ProtectionBlocksRedefinitionButNotTheFirstDefinition) {
  vars_.SetSilent(true);
  vars_.SetCommandLineLists({u"TARGETDIR", u"C:\\Apps"}, {u"LANG", u"de"});
  vars_.DefineVariable(u"TargetDir", u"C:\\Default\\", u"Pre-Initialization");
  vars_.DefineVariable(u"Lang", u"en", u"Initialization");
  EXPECT_EQ(vars_.GetVariable(u"TARGETDIR"), u"C:\\Default\\");
  EXPECT_EQ(vars_.GetVariable(u"LANG"), u"en");

  // The injection, then the script trying to change the values.
  vars_.SetVariable(u"TARGETDIR", u"C:\\Apps", kTagInjectOverride);
  vars_.SetVariable(u"LANG", u"de", kTagInjectOverrideEx);
  vars_.DefineVariable(u"TARGETDIR", u"C:\\Script\\", u"Compilation");
  vars_.SetVariable(u"lang", u"fr", kScriptTag);
  EXPECT_EQ(vars_.GetVariable(u"TARGETDIR"), u"C:\\Apps");
  EXPECT_EQ(vars_.GetVariable(u"LANG"), u"de");

  vars_.SetSilent(false);
  vars_.SetVariable(u"TARGETDIR", u"C:\\Script\\", kScriptTag);
  EXPECT_EQ(vars_.GetVariable(u"TARGETDIR"), u"C:\\Script\\");
}

TEST_F(VariablesTest, RemoveAndClear) {
  vars_.DefineVariable(u"A", u"1", kScriptTag);
  vars_.DefineVariable(u"B", u"2", kScriptTag);
  vars_.RemoveVariable(u"a");
  vars_.RemoveVariable(u"");
  vars_.RemoveVariable(u"UNDEFINED");
  EXPECT_FALSE(vars_.VariableExists(u"A"));
  EXPECT_TRUE(vars_.VariableExists(u"B"));
  for (int i = 0; i < 100; ++i) {
    vars_.DefineVariable(
        u"N" + std::u16string(1, char16_t(u'0' + i % 10)) + std::u16string(1, char16_t(0x100 + i)),
        u"", kScriptTag);
  }
  vars_.ClearVariables();
  EXPECT_TRUE(Names(store_).empty());
  EXPECT_EQ(vars_.VariablesToText(), u"");
}

TEST_F(VariablesTest, CommaTextHoldsEveryValue) {
  vars_.DefineVariable(u"A", u"x y", kScriptTag);
  EXPECT_EQ(vars_.VariablesToText(), u"A,\"x y\"");

  const std::vector<std::u16string> values = {
      u"x y",       u"",      u"a,b",           u"say \"hi\"",    u" lead",
      u"tab\there", u"C:\\x", u"line\r\nbreak", u"\u00E9t\u00E9", u"$A$",
      u"\"",        u",",     u"plain",
  };
  TVariableManager source;
  Variables from(source);
  for (size_t i = 0; i < values.size(); ++i) {
    source.AddItem(u"V" + std::u16string(1, char16_t(u'a' + i)), values[i]);
  }
  const std::u16string text = from.VariablesToText();

  TVariableManager target;
  Variables to(target);
  to.VariablesFromText(text);
  std::vector<std::u16string> expected, restored;
  source.ListItems(expected);
  target.ListItems(restored);
  EXPECT_EQ(restored, expected) << testing::PrintToString(text);
}

TEST_F(VariablesTest, FromTextAddsCompletePairsOnly) {
  vars_.DefineVariable(u"KEEP", u"old", kScriptTag);
  vars_.VariablesFromText(u"A,1 B 2,\"C D\",\"3 4\",keep,new,ODD");
  EXPECT_EQ(vars_.GetVariable(u"A"), u"1");
  EXPECT_EQ(vars_.GetVariable(u"B"), u"2");
  EXPECT_EQ(vars_.GetVariable(u"c d"), u"3 4");
  EXPECT_EQ(vars_.GetVariable(u"KEEP"), u"new");
  EXPECT_FALSE(vars_.VariableExists(u"ODD"));
}

TEST_F(VariablesTest, ReadVariableReference) {
  store_.AddItem(u"TITLE", u"My App");
  store_.AddItem(u"Nested", u"$TITLE$!");
  store_.AddItem(u"Blank", u"");
  store_.AddItem(u"$Dollar", u"dollar");
  store_.AddItem(u"A$B", u"inner sign");
  struct Case {
    std::u16string reference, value, or_marker;
  } cases[] = {
      {u"TITLE", u"My App", u"My App"},
      {u"$title$", u"My App", u"My App"},
      {u"NESTED", u"My App!", u"My App!"},
      {u"$Nested$", u"My App!", u"My App!"},
      {u"Blank", u"", u""},
      {u"$UNDEFINED$", u"", u"$KEVONX$"},
      {u"UNDEFINED", u"", u"$KEVONX$"},
      {u"$Dollar", u"dollar", u"dollar"},  // no closing sign: a name as it stands
      {u"TITLE$", u"", u"$KEVONX$"},
      {u"$A$B$", u"", u"$KEVONX$"},  // a sign inside: a name as it stands
      {u"$$", u"", u"$KEVONX$"},
      {u"$", u"", u"$KEVONX$"},
      {u"", u"", u"$KEVONX$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vars_.ReadVariableReference(c.reference), c.value)
        << testing::PrintToString(c.reference);
    EXPECT_EQ(vars_.ReadVariableReferenceOrMarker(c.reference), c.or_marker)
        << testing::PrintToString(c.reference);
  }
}

TEST_F(VariablesTest, ExpandVariablesUsesTheStore) {
  vars_.DefineVariable(u"DIR", u"C:\\x y\\", kScriptTag);
  EXPECT_EQ(vars_.ExpandVariables(u"$DIR$a"), u"C:\\x y\\a");
  EXPECT_EQ(vars_.ExpandVariablesQuoted(u"$DIR$a"), u"\"C:\\x y\\\"a");
}

}  // namespace
}  // namespace velkor::script
