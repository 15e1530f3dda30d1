// The built-in commands by exact name. Each command family adds its branches; the main
// loop dispatches the current statement through the table.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace velkor::interpreter {

class Statement;

// A branch continues with the next statement unless it moves the cursor, ends the
// script or ends the process through the run; a runtime error is a script::ScriptError.
using CommandBranch = void (*)(Statement& statement);

class CommandTable {
 public:
  void Add(std::u16string_view name, CommandBranch branch);
  // nullptr for a name without a branch (compared case-sensitively, in full).
  CommandBranch Find(std::u16string_view name) const;

 private:
  std::unordered_map<std::u16string, CommandBranch> branches_;
};

// The families; each file adds the commands it implements.
void AddScriptFlowCommands(CommandTable& table);   // labels, includes, terminate
void AddControlFlowCommands(CommandTable& table);  // If, loops, For Each
void AddWizardCommands(CommandTable& table);       // Wizard Loop, Display/Hide Dialog
void AddVariableCommands(CommandTable& table);     // Set Variable, strings, paths
void AddMathematicsCommands(CommandTable& table);  // Mathematics, Evaluate Expression
void AddEnvironmentCommands(CommandTable& table);  // environment, temporary file, text files

// The table of every built-in family.
const CommandTable& BuiltInCommands();

}  // namespace velkor::interpreter
