#include "script/script_check.h"

#include "core/case_mapping.h"
#include "script/check_declarations.h"
#include "script/check_passes.h"

namespace velkor::script {
namespace {

void Reset(ScriptTables& tables, Variables& variables) {
  tables.ChangeMarks().clear();
  variables.ClearVariables();
  for (const CheckDeclared& declared : CheckDeclaredVariables()) {
    variables.DefineVariable(declared.name, declared.value, kCompilationTag);
  }
}

// Disabled labels count too, as in the interpreter's label index.
CheckFailure CollectLabels(const ScriptTables& tables, LabelSet& labels) {
  const StatementTable& statements = tables.statements();
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.Command(i) != u"Label") continue;
    const std::u16string label = tables.StatementParam(i, 1);
    if (!labels.insert(core::Upper(label)).second) return FailAt(i, u"LABEL re-defined: " + label);
  }
  return std::nullopt;
}

// Variables a "Set Variable" keeps for maintenance runs exist from the start.
void DeclarePersistentVariables(const ScriptTables& tables, Variables& variables) {
  const StatementTable& statements = tables.statements();
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.Command(i) != u"Set Variable") continue;
    const std::u16string parameter = tables.StatementParam(i, 1);
    const size_t marker = parameter.find(kPersistMarker);
    if (marker == std::u16string::npos) continue;
    if (std::u16string_view(parameter).substr(marker + kPersistMarker.size()) != u"TRUE") continue;
    const std::u16string name = core::Upper(std::u16string_view(parameter).substr(0, marker));
    if (!name.empty() && !variables.VariableExists(name)) {
      variables.DefineVariable(name, u"", kCompilationTag);
    }
  }
}

CheckFailure CheckWizardLoops(const ScriptTables& tables) {
  const StatementTable& statements = tables.statements();
  bool inside = false;
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.IsDisabled(i)) continue;
    const std::u16string_view command = statements.Command(i);
    if (command == u"Wizard Loop") {
      inside = true;
    } else if (command == u"End") {
      inside = false;
    } else if (inside && command != u"Display Dialog" && command != u"Comment" &&
               command != u"Ignore") {
      return FailAt(i, u"Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP");
    }
  }
  return std::nullopt;
}

}  // namespace

CheckResult CheckScript(ScriptTables& tables, Variables& variables) {
  Reset(tables, variables);
  if (CheckFailure failure = CheckBlockStructure(tables)) return *failure;
  LabelSet labels;
  if (CheckFailure failure = CollectLabels(tables, labels)) return *failure;
  DeclarePersistentVariables(tables, variables);
  if (CheckFailure failure = CheckCommands(tables, variables, labels)) return *failure;
  if (CheckFailure failure = CheckWizardLoops(tables)) return *failure;
  return CheckResult{-1, std::u16string(kCheckSucceeded)};
}

}  // namespace velkor::script
