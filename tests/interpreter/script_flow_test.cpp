// The main loop's own commands and rules: fetching, labels, included scripts, the
// ends of a script, runtime errors, the single-instance guard and cancelling.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "interpreter/interpreter_fixture.h"

namespace velkor::interpreter::testing {
namespace {

TEST(ScriptFlowTest, DisabledAndIgnoredStatementsNeverRun) {
  ScriptRun run(R"(
[off] Terminate with Exit Code: 5
Ignore: Terminate with Exit Code
[off] Set Variable: SEEN$KEVO$KEVO$FALSE, yes
)");
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 0u);
  EXPECT_FALSE(run.Exists(u"SEEN"));
  const auto trace = run.Trace();
  const auto kevo = std::find(trace.begin(), trace.end(), u"    <kevo>");
  ASSERT_LE(kevo + 5, trace.end());
  EXPECT_EQ(std::vector<std::u16string>(kevo, kevo + 5),
            (std::vector<std::u16string>{u"    <kevo>", u"    </kevo>", u"    <ExitScript>",
                                         u"    </ExitScript>", u"  </RunScript>"}));
}

TEST(ScriptFlowTest, TerminateWithExitCodeEndsTheScript) {
  struct Case {
    const char* code;
    uint32_t expected;
  };
  for (const Case& c : {Case{"7", 7}, Case{"seven", 0}, Case{"", 0}}) {
    ScriptRun run(std::string("Terminate with Exit Code: \"") + c.code +
                  "\"\nSet Variable: AFTER$KEVO$KEVO$FALSE, ran\n");
    ASSERT_TRUE(run.machine().ok());
    EXPECT_EQ(run.Run().exit_code, c.expected) << c.code;
    EXPECT_FALSE(run.Exists(u"AFTER")) << c.code;
  }
}

TEST(ScriptFlowTest, TerminateInstallEndsTheScriptWithTheExitSequence) {
  ScriptRun run("Terminate Install\nTerminate with Exit Code: 9\n");
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run(), (startup::EngineExit{0, false}));
  const auto trace = run.Trace();
  EXPECT_NE(std::find(trace.begin(), trace.end(), u"    </ExitScript>"), trace.end());
}

TEST(ScriptFlowTest, GoToLabelJumpsToTheLabelEvenWhenDisabled) {
  ScriptRun run(R"(
GoTo Label: Later
Terminate with Exit Code: 3
[off] Label: later
Terminate with Exit Code: 4
)");
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 4u);
}

TEST(ScriptFlowTest, ReturnFromIncludeScriptSetsTheReturnVariableAndSkipsTheRest) {
  ScriptRunOptions options;
  options.project_files["lib.vks"] =
      "Return from Include Script: from $WHERE$\nTerminate with Exit Code: 3\n";
  ScriptRun run(R"(
Return from Include Script: ignored in the main script
Set Variable: WHERE$KEVO$KEVO$FALSE, lib
Include Script: lib.vks, LIB_RESULT
Terminate with Exit Code: 6
)",
                options);
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 6u);
  EXPECT_EQ(run.Var8(u"LIB_RESULT"), "from lib");
}

TEST(ScriptFlowTest, IncludedScriptKeepsItsBlocksToItselfAndReturnsFromInsideOne) {
  ScriptRunOptions options;
  options.project_files["lib.vks"] = R"(
If: LOG, 0, "", TRUE
  Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ lib-if
Else
  Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ lib-else
  While: LOG, 0, "", TRUE
    Return from Include Script: early
  Wend
End
Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ lib-end
)";
  ScriptRun run(R"(
Set Variable: LOG$KEVO$KEVO$FALSE, ""
If: LOG, 0, "", FALSE
  Include Script: lib.vks, LIB_RESULT
  Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ after-include
Else
  Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ main-else
End
Set Variable: LOG$KEVO$KEVO$FALSE, $LOG$ main-end
)",
                options);
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 0u);
  // The includer's If branch goes on after the return: its Else is skipped, and the
  // loop the included script left open is gone with the included script's state.
  EXPECT_EQ(run.Var8(u"LOG"), " lib-else after-include main-end");
  EXPECT_EQ(run.Var8(u"LIB_RESULT"), "early");
}

TEST(ScriptFlowTest, RuntimeErrorShowsWhereItHappenedAndEndsTheScript) {
  ScriptRunOptions not_silent;
  not_silent.arguments.clear();
  // A version component that is not a number is a runtime error of the condition.
  ScriptRun run(R"(
Set Variable: V$KEVO$KEVO$FALSE, 1x.2
If: V, 6, 1.0, FALSE
End
Terminate with Exit Code: 8
)",
                not_silent);
  ASSERT_TRUE(run.machine().ok());
  EXPECT_EQ(run.Run().exit_code, 0u);
  const auto boxes = run.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  const std::string text = core::Utf16ToUtf8(boxes[0].text);
  EXPECT_EQ(
      text.rfind("Runtime error in setup script:\r\rSource File: main\rLine Number: 3\r\r", 0), 0u)
      << text;
  EXPECT_EQ(boxes[0].flags, platform::message_box::kIconError);
  EXPECT_EQ(core::Utf16ToUtf8(boxes[0].caption), "Test Product - Velkor Wizard");
}

TEST(ScriptFlowTest, SingleInstanceMarkerStopsASecondRun) {
  ScriptRunOptions options;
  options.project_settings = "[constants]\nSINGLEINSTANCE = true\n";
  ScriptRun run("Terminate with Exit Code: 5\n", options);
  ASSERT_TRUE(run.machine().ok());
  const std::u16string marker =
      run.machine().files().TempFolder() + u"{9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}.vex";
  // First run: the marker exists while the script runs and is gone afterwards.
  EXPECT_EQ(run.Run().exit_code, 5u);
  EXPECT_FALSE(run.machine().files().FileExists(marker));
  // A marker left by a running instance: the script does not run at all.
  run.machine().Put(marker, "");
  EXPECT_EQ(run.Run(), (startup::EngineExit{0, true}));
}

TEST(ScriptFlowTest, PluginLibraryIsLookedForInTheSupportFolder) {
  struct Case {
    const char* name;
    bool silent;
    bool library_shipped;
    bool message;
  };
  for (const Case& c : {Case{"missing, silent", true, false, false},
                        Case{"missing", false, false, true}, Case{"shipped", false, true, false}}) {
    ScriptRunOptions options;
    options.project_settings = "[plug-ins]\nSet Variable\n";
    if (!c.silent) options.arguments.clear();
    if (c.library_shipped) options.support_files.push_back({"tools.dll", "library"});
    // The plug-in name shadows the built-in command of the same name; parameter 2 names
    // the library, of which only the file name counts.
    ScriptRun run("Set Variable: X$KEVO$KEVO$FALSE, plugins\\tools.dll\n", options);
    ASSERT_TRUE(run.machine().ok());
    EXPECT_EQ(run.Run().exit_code, 0u) << c.name;
    EXPECT_FALSE(run.Exists(u"X")) << c.name;
    const auto boxes = run.message_boxes();
    ASSERT_EQ(boxes.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(core::Utf16ToUtf8(boxes[0].text),
                "Unable to load plug-in library. Please rebuild your project and make sure all "
                "required plug-ins are installed.\r\rAction skipped");
    }
  }
}

TEST(ScriptFlowTest, CancelFromTheUserInterfaceEndsALongLoop) {
  ScriptRun run(R"(
Set Variable: COUNT$KEVO$KEVO$FALSE, 0
While: ABORT, 4, FALSE, FALSE
  Mathematics: $COUNT$, 1, 0, COUNT
Wend
)");
  ASSERT_TRUE(run.machine().ok());
  std::thread user([&run] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    run.platform().message_boxes().RequestCancel();
  });
  const auto exit = run.Run();
  user.join();
  EXPECT_EQ(exit.exit_code, 0u);
  EXPECT_EQ(run.Var8(u"ABORT"), "TRUE");
  EXPECT_EQ(run.Var8(u"KEVO_IsCancelled"), "TRUE");
  EXPECT_GT(std::stoll(run.Var8(u"COUNT")), 0);
}

}  // namespace
}  // namespace velkor::interpreter::testing
