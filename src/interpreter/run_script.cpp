#include "interpreter/run_script.h"

#include "interpreter/interpreter.h"

namespace velkor::interpreter {

RunScriptEnd RunScript(script::ScriptTables& script, startup::EngineState& engine) {
  SilentDialogHost silent_host;
  DialogHost& dialogs = engine.dialog_host != nullptr ? *engine.dialog_host : silent_host;
  Interpreter run(script, engine, dialogs);
  return run.Run();
}

}  // namespace velkor::interpreter
