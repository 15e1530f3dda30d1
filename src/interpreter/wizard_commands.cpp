// "Wizard Loop", "Display Dialog" and "Hide Dialog": the interpreter's side of the
// dialogs; the dialog host prepares, shows and binds them.
#include <optional>
#include <string>

#include "core/decimal.h"
#include "core/truth.h"
#include "interpreter/command_table.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"
#include "interpreter/wizard_navigation.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kWindowHandle = u"WINDOWHANDLE";

void WizardLoop(Statement& statement) {
  Interpreter& run = statement.run();
  run.block().wizard_navigation = true;
  run.wizard().direction = 1;
}

// Parameter 4 names a variable; when its truth equals parameter 6 the dialog is passed
// over.
bool SkipTestPasses(const Statement& statement) {
  const std::u16string variable = statement.Param(4);
  if (variable.empty()) return false;
  const bool value =
      core::TruthOf(statement.run().variables().GetVariable(VariableNameOf(variable)));
  return value == core::TruthOf(statement.Param(6));
}

// A modal showing leaves no current window and is unbound before the next dialog; a
// not-modal one becomes the current dialog window.
ShowResult Show(const Statement& statement, const std::u16string& key, bool modal) {
  Interpreter& run = statement.run();
  WizardState& wizard = run.wizard();
  ShowResult shown = run.dialogs().ShowDialog(key, modal);
  if (modal) {
    wizard.current_window = 0;
    wizard.dialog_to_unbind = key;
  } else {
    shown.code = dialog_result::kNotModal;
    wizard.current_window = shown.window;
  }
  run.variables().SetVariable(kWindowHandle,
                              core::DecimalText(static_cast<uint64_t>(wizard.current_window)),
                              u"Display Dialog");
  return shown;
}

void DisplayDialog(Statement& statement) {
  if (SkipTestPasses(statement)) return;
  Interpreter& run = statement.run();
  WizardState& wizard = run.wizard();
  const std::u16string key = core::DecimalText(static_cast<uint64_t>(statement.index()));
  if (!wizard.dialog_to_unbind.empty()) {
    run.dialogs().UnbindDialog(wizard.dialog_to_unbind);
    wizard.dialog_to_unbind.clear();
  }
  wizard.last_shown_dialog = key;
  run.dialogs().PrepareDialog(key, statement.Param(1));

  const bool navigating = run.block().wizard_navigation;
  const ShowResult shown = Show(statement, key, navigating || core::TruthOf(statement.Param(3)));
  const std::u16string result_variable = statement.Param(2);
  if (const std::optional<std::u16string> word = ResultWord(shown);
      word && !result_variable.empty()) {
    statement.SetResult(result_variable, *word);
  }
  if (navigating) wizard.direction = DirectionAfter(shown.code, wizard.direction);
}

void HideDialog(Statement& statement) {
  Interpreter& run = statement.run();
  WizardState& wizard = run.wizard();
  if (!wizard.last_shown_dialog.empty()) {
    run.dialogs().HideDialog(wizard.last_shown_dialog);
    wizard.dialog_to_unbind = wizard.last_shown_dialog;
  }
  wizard.current_window = 0;
  run.variables().SetVariable(kWindowHandle, u"0", u"Hide Dialog");
}

}  // namespace

void AddWizardCommands(CommandTable& table) {
  table.Add(u"Wizard Loop", WizardLoop);
  table.Add(u"Display Dialog", DisplayDialog);
  table.Add(u"Hide Dialog", HideDialog);
}

}  // namespace velkor::interpreter
