// The script check: run once by the interpreter before its bootstrap. It validates the
// block structure of the loaded script and the parameters that commands cannot do
// without, and declares in the variable store every variable the script will write.
// It never executes a statement.
//
// Threads: main thread only, while no worker runs (it clears and lists the store).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/script_tables.h"
#include "script/variables.h"

namespace velkor::script {

// The index the count failures report: the end of the script.
inline constexpr int32_t kCheckEndOfScript = 2147483644;
inline constexpr std::u16string_view kCheckSucceeded = u"Script compiled successfully";
// The writer tag of every variable the check declares.
inline constexpr std::u16string_view kCompilationTag = u"Compilation";

struct CheckResult {
  int32_t index = -1;  // failing statement (0-based), kCheckEndOfScript, or -1
  std::u16string message;

  bool ok() const { return index == -1; }
};

// Passes, in order; the first failure ends the check:
//  1. resets the change marks and the store, and declares the reserved variables of
//     CheckDeclaredVariables() (check_declarations.h);
//  2. block structure (disabled statements skipped), 3. block counts;
//  4. labels (all statements); 5. "Set Variable" with the persist flag (all statements);
//  6. commands: a change mark per statement, parameter checks and result variables;
//  7. wizard loops hold only "Display Dialog", "Comment" and "Ignore".
// Writes the change marks of `tables` ("SKIP", or "FALSE" for change commands).
CheckResult CheckScript(ScriptTables& tables, Variables& variables);

}  // namespace velkor::script
