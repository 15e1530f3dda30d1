#include "interpreter/worker_wait.h"

#include <thread>

#include "core/truth.h"
#include "interpreter/interpreter.h"

namespace velkor::interpreter {
namespace {

// A wait step ends at the worker's wake-up message; the limit only bounds how late a
// lost wake-up could be noticed.
constexpr uint32_t kWaitStepMs = 250;

bool CancelRequested(Interpreter& run) {
  return core::TruthOf(run.variables().GetVariable(u"KEVO_IsCancelled"));
}

}  // namespace

WorkerWaitEnd RunWorker(Interpreter& run, const WorkerTask& task, std::u16string_view cancel_tag) {
  std::atomic<bool> done{false};
  std::atomic<bool> terminate{false};
  platform::UserInterface& ui = run.platform().ui();
  std::thread worker([&] {
    task(terminate);
    done.store(true);
    ui.PostWakeUp();
  });
  bool cancelled = false;
  while (!done.load()) {
    if (run.Silent()) {
      // Nothing to keep alive in a silent run: the worker's end is the only event.
      worker.join();
    } else {
      ui.WaitForMessage(kWaitStepMs);
    }
    if (CancelRequested(run) && !terminate.load()) {
      script::Variables& variables = run.variables();
      variables.SetVariable(u"KEVO_LastActiveTick", variables.GetVariable(u"KEVO_LastDelegateTick"),
                            cancel_tag);
      terminate.store(true);
    }
  }
  if (worker.joinable()) worker.join();
  cancelled = CancelRequested(run);
  if (!cancelled) return WorkerWaitEnd::kFinished;

  script::Variables& variables = run.variables();
  if (!core::TruthOf(variables.GetVariable(u"ABORTEDONERROR")) && !run.Silent()) {
    run.ShowMessage(u"Setup cancelled",
                    platform::message_box::kOk | platform::message_box::kIconError,
                    run.wizard().current_window);
  }
  if (core::TruthOf(variables.GetVariable(u"ABORTONERROR"))) {
    // The native engine's rollback of what it already did hooks in here.
    run.EndScript();
    return WorkerWaitEnd::kScriptEnded;
  }
  variables.SetVariable(u"ABORTEDONERROR", u"TRUE", cancel_tag);
  return WorkerWaitEnd::kCancelled;
}

}  // namespace velkor::interpreter
