// The wait for a worker thread: finishing, and a cancel request by the user that the
// worker honours, with either choice of ABORTONERROR.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "core/decimal.h"
#include "core/truth.h"
#include "interpreter/interpreter_fixture.h"
#include "interpreter/worker_wait.h"

namespace velkor::interpreter::testing {
namespace {

// Works until asked to stop, reporting a heartbeat; gives up after 10 s.
WorkerTask UntilTerminated(script::Variables& variables) {
  return [&variables](const std::atomic<bool>& terminate) {
    for (int i = 0; i < 1000 && !terminate.load(); ++i) {
      variables.SetVariable(u"KEVO_LastDelegateTick", core::DecimalText(int64_t{i}), u"Worker");
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };
}

TEST(WorkerWaitTest, FinishedWorkerEndsTheWait) {
  DirectRun direct("Comment\n");
  ASSERT_TRUE(direct.machine().ok());
  std::atomic<int> ran{0};
  EXPECT_EQ(RunWorker(
                direct.run(), [&ran](const std::atomic<bool>&) { ++ran; }, u"Cancel Tag"),
            WorkerWaitEnd::kFinished);
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(direct.run().ScriptEnded());
}

TEST(WorkerWaitTest, CancelStopsTheWorkerAndAbortOnErrorDecidesTheRest) {
  for (const bool abort_on_error : {true, false}) {
    DirectRun direct("Comment\n", {});  // not silent: the wait processes messages
    ASSERT_TRUE(direct.machine().ok());
    script::Variables& variables = direct.variables();
    variables.DefineVariable(u"KEVO_IsCancelled", u"FALSE", u"");
    variables.DefineVariable(u"ABORTONERROR", core::TruthText(abort_on_error), u"");
    variables.DefineVariable(u"ABORTEDONERROR", u"FALSE", u"");
    auto& ui = direct.platform().message_boxes();
    ui.SetCancelHandler(
        [&variables] { variables.SetVariable(u"KEVO_IsCancelled", u"TRUE", u"User Cancel"); });
    std::thread user([&ui] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      ui.RequestCancel();
    });
    const WorkerWaitEnd end =
        RunWorker(direct.run(), UntilTerminated(variables), cancel_tag::kRunProgram);
    user.join();
    EXPECT_EQ(end, abort_on_error ? WorkerWaitEnd::kScriptEnded : WorkerWaitEnd::kCancelled);
    EXPECT_EQ(direct.run().ScriptEnded(), abort_on_error);
    EXPECT_EQ(variables.GetVariable(u"ABORTEDONERROR"), abort_on_error ? u"FALSE" : u"TRUE");
    // The last heartbeat before the cancel was taken as the last active time.
    EXPECT_FALSE(variables.GetVariable(u"KEVO_LastActiveTick").empty());
    const auto boxes = ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(core::Utf16ToUtf8(boxes[0].text), "Setup cancelled");
  }
}

}  // namespace
}  // namespace velkor::interpreter::testing
