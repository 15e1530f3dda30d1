// Labels, included scripts and the commands that end the script.
#include <string>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "interpreter/command_table.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"

namespace velkor::interpreter {
namespace {

void GoToLabel(Statement& statement) {
  Interpreter& run = statement.run();
  const std::optional<size_t> target = run.FindLabel(statement.Param(1));
  // The script check has proved that every jump names a label.
  if (!target) return;
  run.set_cursor(*target);
  run.ResetBlockState();
}

void ReturnFromIncludeScript(Statement& statement) {
  Interpreter& run = statement.run();
  const script::StatementTable& statements = run.statements();
  const size_t index = statement.index();
  const std::u16string return_variable(statements.IncludeReturnVariable(index));
  if (return_variable == u"0") return;
  const int32_t depth = statements.IncludeDepth(index).value_or(0);
  size_t cursor = index + 1;
  while (cursor < statements.size() && statements.IncludeDepth(cursor).value_or(0) != depth - 1) {
    ++cursor;
  }
  run.set_cursor(cursor);
  statement.SetResult(return_variable, statement.Expanded(1));
}

void TerminateInstall(Statement& statement) {
  statement.run().EndScript();
}

void TerminateWithExitCode(Statement& statement) {
  const std::optional<int32_t> code = core::ParseInt32(statement.Expanded(1));
  statement.run().set_exit_code(static_cast<uint32_t>(code.value_or(0)));
  statement.run().EndScript();
}

}  // namespace

void AddScriptFlowCommands(CommandTable& table) {
  table.Add(u"GoTo Label", GoToLabel);
  table.Add(u"Return from Include Script", ReturnFromIncludeScript);
  table.Add(u"Terminate Install", TerminateInstall);
  table.Add(u"Terminate with Exit Code", TerminateWithExitCode);
}

}  // namespace velkor::interpreter
