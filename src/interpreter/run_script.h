// The interpreter's entry: runs the loaded setup script once per process, on the main
// thread, between the start-up steps and the clean-up.
//
#pragma once

#include <string>

#include "script/script_tables.h"
#include "startup/engine_state.h"

namespace velkor::interpreter {

enum class RunScriptEnd {
  // The script ran to its end, was ended by a command, or a second instance was found
  // (engine.values.second_instance); the start-up sequence does the final steps.
  kReturned,
  // The process must end at once with engine.values.exit_code: the script check failed
  // (exit code 314), or the interpreter already did the final steps itself.
  kProcessEnded,
};

inline constexpr uint32_t kCheckFailedExitCode = 314;

// The setup package (MSIFILE, the engine's package in the support folder) is
// engine.values.setup_package_path. The script tables are read and, by the check and
// the change commands, marked; the variable store is reset by the check.
RunScriptEnd RunScript(script::ScriptTables& script, startup::EngineState& engine);

}  // namespace velkor::interpreter
