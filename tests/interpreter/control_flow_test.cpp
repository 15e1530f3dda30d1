// Conditional blocks, loops and wizard loops run through the whole engine. Scripts
// record the path they take in the variable LOG: a line "log WORD" stands for a
// "Set Variable" that appends "WORD." to it.
#include <deque>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "interpreter/interpreter_fixture.h"

namespace velkor::interpreter::testing {
namespace {

std::string WithLogLines(const std::string& script) {
  std::istringstream lines(script);
  std::string out = "Set Variable: LOG$KEVO$KEVO$TRUE, \"\"\n";
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(' ');
    if (start != std::string::npos && line.compare(start, 4, "log ") == 0) {
      line = line.substr(0, start) + "Set Variable: LOG$KEVO$KEVO$FALSE, \"$LOG$" +
             line.substr(start + 4) + ".\"";
    }
    out += line + "\n";
  }
  return out;
}

// The LOG the script leaves; fails the test when it does not run to its end.
std::string RunLog(ScriptRun& run) {
  EXPECT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 0u);
  EXPECT_TRUE(run.message_boxes().empty());
  return run.Var8(u"LOG");
}

std::string RunLog(const std::string& script) {
  ScriptRun run(WithLogLines(script));
  return RunLog(run);
}

TEST(ControlFlowTest, IfChainsRunExactlyOneBranch) {
  const std::string chain = R"(
If: X, 0, 1, FALSE
  log one
Else If: X, 4, two, FALSE
  log two
Else If: X, 2, 0, FALSE
  log positive
Else
  log other
End
log after
)";
  struct Case {
    const char* x;
    const char* expected;
  };
  // 1 also satisfies the third test: only the first true branch runs.
  for (const Case& c :
       {Case{"1", "one.after."}, Case{"TWO", "two.after."}, Case{"7", "positive.after."},
        Case{"-7", "other.after."}, Case{"", "other.after."}}) {
    EXPECT_EQ(RunLog("Set Variable: X$KEVO$KEVO$TRUE, \"" + std::string(c.x) + "\"\n" + chain),
              c.expected)
        << "X=" << c.x;
  }
}

TEST(ControlFlowTest, NegatedAndExistenceConditions) {
  EXPECT_EQ(RunLog(R"(
Set Variable: A$KEVO$KEVO$TRUE, 5
If: A, 0, 5, TRUE
  log negated-equal
Else If: $A$, 0, 5, -1
  log wrong
Else
  log else
End
If: NOT_DEFINED_ANYWHERE, 5, "", FALSE
  log exists
Else If: A, 5, "", FALSE
  log a-exists
End
)"),
            "else.a-exists.");
}

TEST(ControlFlowTest, FalseBlocksSkipNestedBlocksAndWizardLoops) {
  ScriptRunOptions options;
  options.project_files["dialogs/page.dfm"] = "object Page: TPoolTemplate\nend\n";
  ScriptRun run(WithLogLines(R"(
Set Variable: X$KEVO$KEVO$TRUE, 0
If: X, 0, 1, FALSE
  log outer
  If: X, 0, 0, FALSE
    log inner
  Else
    log inner-else
  End
  Wizard Loop
    Display Dialog: page, PAGE_RESULT, TRUE, "", "", ""
  End
  [off] End
  Ignore: End
Else If: X, 0, 2, FALSE
  If: X, 0, 0, FALSE
    log wrong
  End
Else
  If: X, 0, 1, FALSE
  Else If: X, 0, 0, FALSE
    log nested-else-if
    [off] Else
    log still-in-branch
  Else
    log wrong
  End
  log else
End
log after
)"),
                options);
  EXPECT_EQ(RunLog(run), "nested-else-if.still-in-branch.else.after.");
  EXPECT_FALSE(run.Exists(u"PAGE_RESULT"));
}

TEST(ControlFlowTest, DisabledEndIsNoBlockCloser) {
  EXPECT_EQ(RunLog(R"(
Set Variable: X$KEVO$KEVO$TRUE, 0
If: X, 0, 1, FALSE
  log skipped
  [off] End
  log also-skipped
End
log after
While: X, 0, 1, FALSE
  log never
  [off] Wend
  log never
Wend
log end
)"),
            "after.end.");
}

TEST(ControlFlowTest, ForEachTakesNonEmptyItemsAndRemovesItsVariable) {
  struct Case {
    const char* separator;
    const char* list;
    const char* expected;
  };
  for (const Case& c : {
           Case{";", "a;;b;", "a.b."}, Case{";", ";;", ""}, Case{";", "", ""},
           Case{"::", "x::y:z::::w", "x.y:z.w."},
           Case{",", " a , b", " a . b."},  // items are not trimmed
           Case{"", "a;b", "a;b."},         // an empty separator: the whole list
       }) {
    ScriptRun run(WithLogLines(std::string("For Each: ITEM, \"") + c.separator + "\", \"" + c.list +
                               "\"\n  log $ITEM$\nNext\nlog done\n"));
    EXPECT_EQ(RunLog(run), std::string(c.expected) + "done.")
        << "separator \"" << c.separator << "\" list \"" << c.list << "\"";
    EXPECT_FALSE(run.Exists(u"ITEM"));
  }
}

TEST(ControlFlowTest, NestedForEachAndBreakOutOfForEach) {
  ScriptRun run(WithLogLines(R"(
Set Variable: LIST$KEVO$KEVO$TRUE, 1;2
For Each: $OUTER$, ;, $LIST$
  For Each: INNER, /, a/b/stop/c
    If: INNER, 0, stop, FALSE
      Break
    End
    log $OUTER$$INNER$
  Next
  If: INNER, 5, "", FALSE
    log inner-left-behind
  End
Next
)"));
  EXPECT_EQ(RunLog(run), "1a.1b.2a.2b.");
  EXPECT_FALSE(run.Exists(u"OUTER"));
  EXPECT_FALSE(run.Exists(u"INNER"));
}

TEST(ControlFlowTest, BreakLeavesOnlyTheInnermostLoop) {
  EXPECT_EQ(RunLog(R"(
Set Variable: W$KEVO$KEVO$TRUE, go
While: W, 0, go, FALSE
  Repeat
    log repeat
    Break
    log wrong
  Until: W, 0, go, TRUE
  log while-body
  Break
  log wrong
Wend
log after
)"),
            "repeat.while-body.after.");
}

TEST(ControlFlowTest, RepeatIterationsDoNotLeaveStaleLoopEntries) {
  // The Repeat runs three times; a Break afterwards must leave the While, not a
  // Repeat left on the loop stack by earlier iterations.
  EXPECT_EQ(RunLog(R"(
Set Variable: N$KEVO$KEVO$TRUE, ""
While: N, 0, never, TRUE
  Repeat
    Set Variable: N$KEVO$KEVO$FALSE, $N$i
    log $N$
  Until: N, 0, iii, FALSE
  Break
  log wrong
Wend
log after
)"),
            "i.ii.iii.after.");
}

TEST(ControlFlowTest, ContinueGoesBackToTheLoopHead) {
  EXPECT_EQ(RunLog(R"(
Set Variable: N$KEVO$KEVO$TRUE, ""
While: N, 0, iii, TRUE
  Set Variable: N$KEVO$KEVO$FALSE, $N$i
  If: N, 0, ii, FALSE
    Continue
  End
  log $N$
Wend
For Each: F, ;, a;b;c
  If: F, 0, b, FALSE
    Continue
  End
  log $F$
Next
Repeat
  Set Variable: N$KEVO$KEVO$FALSE, $N$i
  If: N, 0, iiiii, FALSE
    Continue
  End
  log $N$
Until: N, 0, iiiiii, FALSE
log after
)"),
            "i.iii.a.c.iiii.iiiiii.after.");
}

TEST(ControlFlowTest, ForEachWalksALongListToItsEnd) {
  // The walk's cost per item is tested in for_each_items_test.cpp; here the loop runs
  // through the whole engine.
  std::string list;
  for (int i = 0; i < 5000; ++i) list += "i" + std::to_string(i) + ";";
  ScriptRun run("Set Variable: LAST$KEVO$KEVO$TRUE, \"\"\nFor Each: ITEM, ;, " + list +
                "\n  Set Variable: LAST$KEVO$KEVO$FALSE, $ITEM$\nNext\n");
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 0u);
  EXPECT_EQ(run.Var8(u"LAST"), "i4999");
  EXPECT_FALSE(run.Exists(u"ITEM"));
}

// Answers each modal showing with the next scripted result (then "next") and records
// what the interpreter asked of it.
class ScriptedDialogs : public DialogHost {
 public:
  explicit ScriptedDialogs(std::vector<ShowResult> answers)
      : answers_(answers.begin(), answers.end()) {}

  void PrepareDialog(std::u16string_view key, std::u16string_view name) override {
    keys_[std::u16string(key)] = std::u16string(name);
    log_ += "prepare " + core::Utf16ToUtf8(name) + "; ";
  }
  ShowResult ShowDialog(std::u16string_view key, bool modal) override {
    log_ += std::string(modal ? "modal " : "show ") + NameOf(key) + "; ";
    if (!modal) return {.code = dialog_result::kNotModal, .text = u"", .window = 4242};
    if (answers_.empty()) return {};
    ShowResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void HideDialog(std::u16string_view key) override { log_ += "hide " + NameOf(key) + "; "; }
  void UnbindDialog(std::u16string_view key) override { log_ += "unbind " + NameOf(key) + "; "; }
  void FreeDialogs() override {}

  const std::string& log() const { return log_; }

 private:
  std::string NameOf(std::u16string_view key) {
    return core::Utf16ToUtf8(keys_[std::u16string(key)]);
  }

  std::deque<ShowResult> answers_;
  std::map<std::u16string, std::u16string> keys_;
  std::string log_;
};

const ShowResult kNextAnswer{.code = dialog_result::kNext, .text = u"", .window = 0};
const ShowResult kBackAnswer{.code = dialog_result::kBack, .text = u"", .window = 0};
const ShowResult kCancelAnswer{.code = dialog_result::kCancel, .text = u"", .window = 0};

ScriptRunOptions WithDialogs(std::initializer_list<const char*> names) {
  ScriptRunOptions options;
  for (const char* name : names) {
    options.project_files[std::string("dialogs/") + name + ".dfm"] =
        "object Page: TPoolTemplate\nend\n";
  }
  return options;
}

std::string WizardScript(bool skip_second) {
  return std::string("Set Variable: SKIPSECOND$KEVO$KEVO$TRUE, ") +
         (skip_second ? "TRUE" : "FALSE") + R"(
log before
Wizard Loop
  Display Dialog: first, WIZARD, FALSE, "", "", ""
  Comment: the skip test passes this one over when SKIPSECOND is true
  Display Dialog: second, WIZARD, FALSE, SKIPSECOND, "", TRUE
  [off] Display Dialog: disabled, WIZARD, FALSE, "", "", ""
  Display Dialog: third, WIZARD, FALSE, "", "", ""
End
log after-$WIZARD$
)";
}

struct WizardCase {
  const char* what;
  std::vector<ShowResult> answers;
  bool skip_second;
  const char* shown;  // the dialogs shown, in order
  const char* result;
};

TEST(ControlFlowTest, WizardLoopNavigatesWithNextBackAndCancel) {
  const WizardCase cases[] = {
      {"next through", {}, false, "first second third", "NEXT"},
      {"back on the first dialog", {kBackAnswer}, false, "first", "BACK"},
      {"back and forth",
       {kNextAnswer, kNextAnswer, kBackAnswer, kBackAnswer, kNextAnswer},
       false,
       "first second third second first second third",
       "NEXT"},
      {"cancel on the second", {kNextAnswer, kCancelAnswer}, false, "first second", "CANCEL"},
      {"skip test passes over",
       {kNextAnswer, kBackAnswer},
       true,
       "first third first third",
       "NEXT"},
      {"own result",
       {{.code = dialog_result::kOwnResult, .text = u"btnCustom", .window = 0}},
       false,
       "first second third",
       "NEXT"},
  };
  for (const WizardCase& c : cases) {
    ScriptRun run(WithLogLines(WizardScript(c.skip_second)),
                  WithDialogs({"first", "second", "third"}));
    ScriptedDialogs dialogs(c.answers);
    run.set_dialog_host(&dialogs);
    EXPECT_EQ(RunLog(run), std::string("before.after-") + c.result + ".") << c.what;
    std::string shown;
    std::istringstream log(dialogs.log());
    for (std::string step; std::getline(log, step, ';');) {
      if (step.find("modal ") != std::string::npos) {
        shown += (shown.empty() ? "" : " ") + step.substr(step.find("modal ") + 6);
      } else {
        EXPECT_EQ(step.find("show "), std::string::npos) << c.what << ": not modal";
      }
    }
    EXPECT_EQ(shown, c.shown) << c.what;
    EXPECT_EQ(run.Var8(u"WINDOWHANDLE"), "0") << c.what;
  }
}

TEST(ControlFlowTest, OwnResultWordIsTheClosingControlUpperCased) {
  ScriptRun run(WithLogLines("Display Dialog: first, RESULT, TRUE, \"\", \"\", \"\"\n"),
                WithDialogs({"first"}));
  ScriptedDialogs dialogs({{.code = dialog_result::kOwnResult, .text = u"btnCustom", .window = 0}});
  run.set_dialog_host(&dialogs);
  RunLog(run);
  EXPECT_EQ(run.Var8(u"RESULT"), "BTNCUSTOM");
}

TEST(ControlFlowTest, DialogsOutsideAWizardLoopAndHideDialog) {
  ScriptRun run(WithLogLines(R"(
Display Dialog: first, R1, FALSE, "", "", ""
log $WINDOWHANDLE$
Hide Dialog
log $WINDOWHANDLE$
Display Dialog: second, R2, TRUE, "", "", ""
log $WINDOWHANDLE$
Display Dialog: first, R3, FALSE, "", "", ""
)"),
                WithDialogs({"first", "second"}));
  ScriptedDialogs dialogs({kBackAnswer});
  run.set_dialog_host(&dialogs);
  EXPECT_EQ(RunLog(run), "4242.0.0.");
  EXPECT_EQ(run.Var8(u"R1"), "NOTMODAL");
  EXPECT_EQ(run.Var8(u"R2"), "BACK");
  EXPECT_EQ(run.Var8(u"R3"), "NOTMODAL");
  EXPECT_EQ(run.Var8(u"WINDOWHANDLE"), "4242");
  // A hidden dialog and a modal one are unbound before the next dialog is prepared.
  EXPECT_EQ(dialogs.log(),
            "prepare first; show first; hide first; unbind first; prepare second; modal second; "
            "unbind second; prepare first; show first; ");
}

}  // namespace
}  // namespace velkor::interpreter::testing
