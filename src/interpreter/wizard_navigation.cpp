#include "interpreter/wizard_navigation.h"

#include "core/case_mapping.h"
#include "interpreter/block_scan.h"
#include "interpreter/control_flow.h"
#include "interpreter/interpreter.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kDisplayDialog = u"Display Dialog";
constexpr std::u16string_view kWizardLoop = u"Wizard Loop";
constexpr std::u16string_view kEnd = u"End";

// Navigation is over; execution continues after the wizard loop's "End", searched from
// `from` inside the loop.
void LeaveAfterLoopEnd(Interpreter& run, size_t from, ScanPacer& pacer) {
  run.block().wizard_navigation = false;
  const std::optional<size_t> end = FindBlockEnd(run.statements(), from, pacer);
  run.set_cursor(end ? *end + 1 : run.statements().size());
}

}  // namespace

int DirectionAfter(int32_t result_code, int direction) {
  switch (result_code) {
    case dialog_result::kCancel:
      return 0;
    case dialog_result::kNext:
      return 1;
    case dialog_result::kBack:
      return -1;
    default:
      return direction;
  }
}

std::optional<std::u16string> ResultWord(const ShowResult& result) {
  switch (result.code) {
    case dialog_result::kNotModal:
      return u"NOTMODAL";
    case dialog_result::kCancel:
      return u"CANCEL";
    case dialog_result::kNext:
      return u"NEXT";
    case dialog_result::kBack:
      return u"BACK";
    case dialog_result::kOwnResult:
      return core::Upper(result.text);
    default:
      return std::nullopt;
  }
}

// The statement that ran last is the "Wizard Loop" or the dialog just shown (or passed
// over by its skip test); the step starts from there.
void NavigateWizard(Interpreter& run) {
  const script::StatementTable& statements = run.statements();
  ScanPacer pacer([&run] { run.PumpMessages(); });
  const size_t from = run.cursor() == 0 ? 0 : run.current();
  const int direction = run.wizard().direction;
  if (direction == 0) {
    LeaveAfterLoopEnd(run, from, pacer);
    return;
  }
  for (size_t i = from; direction > 0 ? i + 1 < statements.size() : i > 0; pacer.Step()) {
    i = direction > 0 ? i + 1 : i - 1;
    if (statements.IsDisabled(i)) continue;
    const std::u16string_view command = statements.Command(i);
    if (command == kDisplayDialog) {
      run.set_cursor(i);
      return;
    }
    if (command == kEnd) {
      run.block().wizard_navigation = false;
      run.set_cursor(i);
      return;
    }
    if (command == kWizardLoop) {
      LeaveAfterLoopEnd(run, i + 1, pacer);
      return;
    }
  }
  // Only a broken statement table ends here: nothing is left to navigate to.
  run.block().wizard_navigation = false;
  run.set_cursor(statements.size());
}

}  // namespace velkor::interpreter
