// The script check: every failure message with the statement it names, the order of
// the passes, and what the check leaves in the variable store and the change marks.
#include <gtest/gtest.h>

#include "core/text.h"
#include "script/check_declarations.h"
#include "script/script_check.h"
#include "script_test_support.h"

namespace velkor::script {
namespace {

using testing::Disabled;
using testing::ScriptOf;
using testing::Statement;

class CheckTest : public ::testing::Test {
 public:
  CheckResult Check(std::vector<ScriptStatement> statements) {
    tables_.emplace(testing::TablesOf(ScriptOf(std::move(statements))));
    return CheckScript(*tables_, variables_);
  }

  TVariableManager store_;
  Variables variables_{store_};
  std::optional<ScriptTables> tables_;
};

struct FailureCase {
  const char* what;
  std::vector<ScriptStatement> statements;
  int32_t index;
  std::u16string message;
};

void ExpectFailures(CheckTest& test, const std::vector<FailureCase>& cases) {
  for (const FailureCase& c : cases) {
    const CheckResult result = test.Check(c.statements);
    EXPECT_EQ(result.index, c.index) << c.what;
    EXPECT_EQ(core::Utf16ToUtf8(result.message), core::Utf16ToUtf8(c.message)) << c.what;
  }
}

constexpr int32_t kEnd = kCheckEndOfScript;

// Conditions on a variable the check always declares.
ScriptStatement If() {
  return Statement(u"If", {u"SILENT", u"0", u"TRUE"});
}
ScriptStatement While() {
  return Statement(u"While", {u"SILENT", u"0", u"TRUE"});
}
ScriptStatement Until() {
  return Statement(u"Until", {u"SILENT", u"0", u"TRUE"});
}
ScriptStatement ForEach(std::u16string variable) {
  return Statement(u"For Each", {std::move(variable), u"a|b"});
}
ScriptStatement Dialog(std::u16string name = u"Welcome") {
  return Statement(u"Display Dialog", {std::move(name), u"", u"", u""});
}
ScriptStatement Set(std::u16string name_and_flag, std::u16string value = u"x") {
  return Statement(u"Set Variable", {std::move(name_and_flag), std::move(value)});
}

TEST_F(CheckTest, BlockStructureFailures) {
  const std::vector<FailureCase> cases = {
      {"End without If",
       {Statement(u"End")},
       0,
       u"IF conditional closed outside of IF conditional scope"},
      {"If closed inside a While",
       {If(), While(), Statement(u"End")},
       2,
       u"IF conditional closed outside of LOOP scope"},
      {"Wend closed inside an If",
       {While(), If(), Statement(u"Wend")},
       2,
       u"WHILE loop closed outside of CONDITIONAL or REPEAT or FOR EACH loop scope"},
      {"Wend alone", {Statement(u"Wend")}, 0, u"WHILE loop closed outside of WHILE loop scope"},
      {"Until closed inside an If",
       {Statement(u"Repeat"), If(), Until()},
       2,
       u"REPEAT loop closed outside of CONDITIONAL or WHILE or FOR EACH loop scope"},
      {"Until alone", {Until()}, 0, u"REPEAT loop closed outside of REPEAT loop scope"},
      {"Next closed inside a While",
       {ForEach(u"I"), While(), Statement(u"Next")},
       2,
       u"FOR EACH loop closed outside of CONDITIONAL or REPEAT or WHILE loop scope"},
      {"Next alone",
       {Statement(u"Next")},
       0,
       u"FOR EACH loop closed outside of FOR EACH loop scope"},
      {"Break outside a loop",
       {If(), Statement(u"Break"), Statement(u"End")},
       1,
       u"Break not allowed outside of LOOP scope"},
      {"Continue after the loop closed",
       {While(), Statement(u"Wend"), Statement(u"Continue")},
       2,
       u"Continue not allowed outside of LOOP scope"},
      {"nested For Each reuses the variable",
       {ForEach(u"I"), ForEach(u"i")},
       1,
       u"FOR EACH variable re-used inside nested FOR EACH loop"},
      {"a disabled If does not open a block",
       {Disabled(u"If"), Statement(u"End")},
       1,
       u"IF conditional closed outside of IF conditional scope"},
      {"one If too many", {If(), If(), Statement(u"End")}, kEnd, u"Insufficient END statements"},
      {"a disabled End does not close",
       {If(), Disabled(u"End")},
       kEnd,
       u"Insufficient END statements"},
      {"Wizard Loop keeps later Ends from closing",
       {Statement(u"Wizard Loop"), Dialog(), Statement(u"End"), Statement(u"End")},
       kEnd,
       u"Too many END statements"},
      {"open While", {While()}, kEnd, u"Insufficient WEND statements"},
      {"open Repeat", {Statement(u"Repeat")}, kEnd, u"Insufficient UNTIL statements"},
      {"open For Each", {ForEach(u"I")}, kEnd, u"Insufficient NEXT statements"},
      // The structure pass runs before the label pass.
      {"structure before labels",
       {Statement(u"Label", {u"A"}), Statement(u"Label", {u"A"}), Statement(u"Wend")},
       2,
       u"WHILE loop closed outside of WHILE loop scope"},
      {"counts before commands",
       {Statement(u"Set Variable"), If()},
       kEnd,
       u"Insufficient END statements"},
  };
  ExpectFailures(*this, cases);
}

TEST_F(CheckTest, BalancedBlocksPass) {
  const std::vector<ScriptStatement> scripts[] = {
      {If(), Statement(u"Wizard Loop"), Dialog(), Statement(u"End"), Statement(u"End")},
      {If(), Statement(u"Label", {u"Inside"}), Statement(u"End")},
      {While(), Statement(u"Repeat"), Statement(u"Break"), Until(), Statement(u"Continue"),
       Statement(u"Wend")},
      {ForEach(u"I"), Statement(u"Next"), ForEach(u"I"), Statement(u"Next")},
      {ForEach(u"I"), ForEach(u"J"), Statement(u"Next"), Statement(u"Next")},
      {Disabled(u"Wend"), Disabled(u"Break")},
      {},
  };
  for (const auto& statements : scripts) {
    const CheckResult result = Check(statements);
    EXPECT_EQ(result.index, -1) << core::Utf16ToUtf8(result.message);
    EXPECT_EQ(result.message, u"Script compiled successfully");
  }
}

TEST_F(CheckTest, LabelFailures) {
  const std::vector<FailureCase> cases = {
      {"names differing only in case",
       {Statement(u"Label", {u"Start"}), Statement(u"Label", {u"START"})},
       1,
       u"LABEL re-defined: START"},
      {"a disabled label still counts",
       {Disabled(u"Label", {u"x"}), Statement(u"Label", {u"X"})},
       1,
       u"LABEL re-defined: X"},
      {"jump to nowhere", {Statement(u"GoTo Label", {u"Nowhere"})}, 0, u"LABEL undefined: Nowhere"},
  };
  ExpectFailures(*this, cases);
  EXPECT_TRUE(Check({Statement(u"GoTo Label", {u"later"}), Disabled(u"Label", {u"LATER"})}).ok());
}

TEST_F(CheckTest, CommandFailures) {
  const std::u16string install_files_message =
      u"A target folder must be specified for files that are being installed.\r"
      u"The value $TARGETDIR$ represents the destination folder chosen by the user.";
  const std::u16string syntax_message =
      u"Syntax error in expression. Please review the help topic \"Evaluate Expression\" for "
      u"the correct syntax.";
  const std::vector<FailureCase> cases = {
      {"no delete mode",
       {Statement(u"Delete Files", {u"C:\\x", u"*", u"FALSE", u"no"})},
       0,
       u"At least one delete mode must be selected"},
      {"no target folder",
       {Statement(u"Install Files", {u"", u"", u""})},
       0,
       install_files_message},
      {"block name empty",
       {Statement(u"Web Media Block", {u"", u""})},
       0,
       u"Web Media Block name must be a legal file name"},
      {"block name with a colon",
       {Statement(u"Web Media Block", {u"a:b", u"http://x"})},
       0,
       u"Web Media Block name must be a legal file name"},
      {"block without URL",
       {Statement(u"Web Media Block", {u"Block", u""})},
       0,
       u"Web Media Block must have at least one download URL"},
      {"missing URL wins over the name",
       {Statement(u"Web Media Block", {u"a|b", u""})},
       0,
       u"Web Media Block must have at least one download URL"},
      {"dialog without name", {Dialog(u"")}, 0, u"Dialog name not specified"},
      {"dialog variable undefined",
       {Statement(u"Display Dialog", {u"Welcome", u"", u"", u"$NOPE$"})},
       0,
       u"Variable not defined: $NOPE$"},
      {"expression without result",
       {Statement(u"Evaluate Expression", {u"\"a\" = \"a\"", u""})},
       0,
       u"Variable required"},
      {"expression in capitals",
       {Statement(u"Evaluate Expression", {u"\"a\" = \"a\" AND \"b\" = \"b\"", u"R"})},
       0,
       syntax_message},
      {"expression on a variable declared later",
       {Statement(u"Evaluate Expression", {u"$LATER$ = \"1\"", u"R"}), Set(u"LATER")},
       0,
       syntax_message},
      {"convert path of an undefined variable",
       {Statement(u"Convert Path", {u"NOPE", u"TRUE"})},
       0,
       u"Variable not defined: NOPE"},
      {"convert case before the variable is set",
       {Statement(u"Convert Case", {u"V", u"TRUE"}), Set(u"V")},
       0,
       u"Variable not defined: V"},
      {"extract path written as a reference",
       {Set(u"V"), Statement(u"Extract Path", {u"$V$", u"0"})},
       1,
       u"Variable not defined: $V$"},
      {"replace string",
       {Statement(u"Replace String", {u"", u"a", u"b"})},
       0,
       u"Variable not defined: "},
      {"If without variable",
       {Statement(u"If", {u"", u"0", u""}), Statement(u"End")},
       0,
       u"Variable required"},
      {"If on an undefined variable",
       {Statement(u"If", {u"NOPE", u"0", u""}), Statement(u"End")},
       0,
       u"Variable not defined: NOPE"},
      {"Else If compares with an undefined reference",
       {If(), Statement(u"Else If", {u"$TITLE$", u"1", u"$NOPE$"}), Statement(u"End")},
       1,
       u"Variable not defined: $NOPE$"},
      {"Until on a variable removed by Next",
       {Statement(u"Repeat"), ForEach(u"I"), Statement(u"Next"),
        Statement(u"Until", {u"I", u"0", u""})},
       3,
       u"Variable not defined: I"},
      {"For Each without variable", {ForEach(u""), Statement(u"Next")}, 0, u"Variable required"},
      {"For Each on a reserved variable",
       {ForEach(u"Title"), Statement(u"Next")},
       0,
       u"FOR EACH variable previously defined outside FOR EACH loop"},
      {"For Each on a persisted variable declared later",
       {ForEach(u"X"), Statement(u"Next"), Set(u"X$KEVO$KEVO$TRUE")},
       0,
       u"FOR EACH variable previously defined outside FOR EACH loop"},
      {"a statement without parameters",
       {Statement(u"Get Temporary File")},
       0,
       u"Variable required"},
      {"Parse String with neither result",
       {Statement(u"Parse String", {u"a,b", u",", u"", u""})},
       0,
       u"Variable required"},
      {"Mathematics without result",
       {Statement(u"Mathematics", {u"1", u"2", u"0", u""})},
       0,
       u"Variable required"},
      {"System Restore on without result",
       {Statement(u"System Restore", {u"true", u"", u"", u"point"})},
       0,
       u"Variable required"},
      {"Read Registry without a name before the bar",
       {Statement(u"Read Registry", {u"|HKLM\\Software", u""})},
       0,
       u"Variable required"},
      {"Set Variable with only a marker", {Set(u"$KEVO$KEVO$TRUE")}, 0, u"Variable required"},
      {"commands before wizard loops",
       {Statement(u"Wizard Loop"), Statement(u"Set Variable"), Statement(u"End")},
       1,
       u"Variable required"},
  };
  ExpectFailures(*this, cases);
}

TEST_F(CheckTest, WizardLoopHoldsOnlyDialogs) {
  const std::vector<FailureCase> cases = {
      {"a Set Variable inside",
       {Statement(u"Wizard Loop"), Dialog(), Set(u"X"), Statement(u"End")},
       2,
       u"Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
      {"a MessageBox inside",
       {Statement(u"Wizard Loop"), Statement(u"MessageBox", {u"Hi", u"", u"", u"", u""}),
        Statement(u"End")},
       1,
       u"Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
  };
  ExpectFailures(*this, cases);
  EXPECT_TRUE(
      Check({Statement(u"Wizard Loop"), Dialog(), Statement(u"Comment"), Statement(u"Ignore"),
             Disabled(u"Set Variable"), Dialog(u"Finish"), Statement(u"End"), Set(u"AFTER")})
          .ok());
}

TEST_F(CheckTest, ParametersThatPass) {
  const std::vector<ScriptStatement> statements = {
      Statement(u"Delete Files", {u"C:\\x", u"*", u"-1", u""}),
      Statement(u"Web Media Block", {u"Block", u"http://a"}),
      Statement(u"Display Dialog", {u"Welcome", u"DLG_RESULT", u"", u"$DLG_RESULT$"}),
      Statement(u"Display Dialog", {u"Other", u"", u"", u"Silent"}),
      Set(u"Count$KEVO$KEVO$FALSE", u"1"),
      Statement(u"Evaluate Expression", {u"$COUNT$ = \"1\" and (\"a\" < \"b\")", u"OK"}),
      Statement(u"Evaluate Expression", {u"$OK$ = \"\"", u"OK"}),
      Statement(u"If", {u"$COUNT$", u"0", u"$TITLE$"}),
      Statement(u"Else If", {u"UNDECLARED", u"5", u"$ALSO_UNDECLARED$"}),  // operator 5
      Statement(u"End"),
      Statement(u"Convert Case", {u"Count", u"TRUE"}),
      Statement(u"Mathematics", {u"1", u"2", u"13", u""}),  // seeding needs no result
      Statement(u"System Restore", {u"FALSE", u"", u"", u""}),
      Statement(u"Parse String", {u"a,b", u",", u"", u"SECOND"}),
      Statement(u"Run Program", {u"app.exe", u"", u"", u"", u""}),
  };
  const CheckResult result = Check(statements);
  EXPECT_EQ(result.index, -1) << core::Utf16ToUtf8(result.message);
}

TEST_F(CheckTest, EveryRequiredResultVariableIsChecked) {
  for (const ResultRule& rule : ResultVariableRules()) {
    if (rule.need != ResultNeed::kRequired) continue;
    std::vector<std::u16string> parameters(12, u"x");
    parameters[rule.parameter - 1] = rule.form == ResultNameForm::kBeforeBar ? u"|key" : u"";
    const CheckResult result = Check({Statement(std::u16string(rule.command), parameters)});
    EXPECT_EQ(result.message, u"Variable required") << core::Utf16ToUtf8(rule.command);
  }
}

TEST_F(CheckTest, DeclaresResultVariablesUpperCased) {
  ASSERT_TRUE(Check({
                        Statement(u"Read Registry", {u"regValue|HKLM\\Software|Name"}),
                        Set(u"persisted$KEVO$KEVO$TRUE"),
                        Set(u"plain"),
                        Statement(u"MessageBox", {u"Hi", u"", u"", u"", u"answer"}),
                        Statement(u"Compress 7Zip Archive",
                                  {u"", u"", u"", u"", u"", u"", u"", u"", u"", u"zipped"}),
                        Disabled(u"Get Temporary File", {u"neverDeclared"}),
                    })
                  .ok());
  for (const char16_t* name : {u"REGVALUE", u"PERSISTED", u"PLAIN", u"ANSWER", u"ZIPPED"}) {
    EXPECT_TRUE(variables_.VariableExists(name)) << core::Utf16ToUtf8(name);
  }
  std::vector<std::u16string> names;
  store_.ListNames(names);
  EXPECT_NE(std::find(names.begin(), names.end(), u"REGVALUE"), names.end());
  EXPECT_FALSE(variables_.VariableExists(u"neverDeclared"));
}

TEST_F(CheckTest, ResetsTheStoreAndDeclaresTheReservedDefaults) {
  variables_.DefineVariable(u"LEFTOVER", u"1", u"Test");
  variables_.DefineVariable(u"NATIVE_ERROR", u"IGNORE", u"Test");
  ASSERT_TRUE(Check({}).ok());
  EXPECT_FALSE(variables_.VariableExists(u"LEFTOVER"));
  EXPECT_EQ(variables_.GetVariable(u"NATIVE_ERROR"), u"PROMPT");
  EXPECT_EQ(variables_.GetVariable(u"KEVO_TIMEOUT"), u"FALSE");
  EXPECT_EQ(variables_.GetVariable(u"NATIVE_PROGRESS"), u"0");
  EXPECT_TRUE(variables_.VariableExists(u"KEVO_COMPRESSCACHE"));
  EXPECT_FALSE(variables_.VariableExists(u"KEVO_COMPRESS_INSTALLER_CACHE"));
  std::vector<std::u16string> names;
  EXPECT_EQ(store_.ListNames(names), CheckDeclaredVariables().size());
}

TEST_F(CheckTest, ChangeMarksOnePerStatement) {
  ASSERT_TRUE(Check({
                        Statement(u"Write Registry", {u"", u"2|"}),
                        Statement(u"Comment"),
                        Disabled(u"Create Folder", {u"C:\\x"}),
                        Statement(u"Create Folder", {u"C:\\x"}),
                        Statement(u"Install Files", {u"", u"", u"$TARGETDIR$"}),
                    })
                  .ok());
  EXPECT_EQ(tables_->ChangeMarks(),
            (std::vector<std::u16string>{u"FALSE", u"SKIP", u"SKIP", u"FALSE", u"FALSE"}));
  // A second run starts the marks afresh.
  ASSERT_TRUE(CheckScript(*tables_, variables_).ok());
  EXPECT_EQ(tables_->ChangeMarks().size(), 5u);
}

TEST_F(CheckTest, StatementWithoutParameterBlockReadsEmptyParameters) {
  // The key of the second statement is missing from the parameter table.
  CompiledScript script =
      ScriptOf({Statement(u"Comment", {u"note"}), Statement(u"Get Environment")});
  tables_.emplace(testing::TablesOf(script));
  const CheckResult result = CheckScript(*tables_, variables_);
  EXPECT_EQ(result.index, 1);
  EXPECT_EQ(result.message, u"Variable required");
}

}  // namespace
}  // namespace velkor::script
