#include "interpreter/run_script.h"

#include "script/script_check.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kIgnore = u"Ignore";

// The statement cursor's fetch rule: disabled statements and "Ignore" are passed over.
size_t NextStatement(const script::StatementTable& statements, size_t cursor) {
  while (cursor < statements.size() &&
         (statements.IsDisabled(cursor) || statements.Command(cursor) == kIgnore)) {
    ++cursor;
  }
  return cursor;
}

}  // namespace

RunScriptEnd RunScript(script::ScriptTables& script, const std::u16string& setup_package_path,
                       startup::EngineState& engine) {
  (void)setup_package_path;
  startup::RunTrace& trace = engine.trace;
  trace.WriteTrace(u"    <Variables>");
  trace.WriteTrace(u"    </Variables>");

  trace.WriteTrace(u"    <CompileScript>");
  if (!script::CheckScript(script, engine.variables).ok()) {
    engine.values.exit_code = kCheckFailedExitCode;
    return RunScriptEnd::kProcessEnded;
  }
  trace.WriteTrace(u"    </CompileScript>");

  trace.WriteTrace(u"    <kevo>");
  const script::StatementTable& statements = script.statements();
  for (size_t cursor = NextStatement(statements, 0); cursor < statements.size();
       cursor = NextStatement(statements, cursor + 1)) {
    // No command has a branch yet: a fetched statement completes at once.
  }
  trace.WriteTrace(u"    </kevo>");
  trace.WriteTrace(u"    <ExitScript>");
  trace.WriteTrace(u"    </ExitScript>");
  return RunScriptEnd::kReturned;
}

}  // namespace velkor::interpreter
