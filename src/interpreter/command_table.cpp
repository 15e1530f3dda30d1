#include "interpreter/command_table.h"

namespace velkor::interpreter {

void CommandTable::Add(std::u16string_view name, CommandBranch branch) {
  branches_[std::u16string(name)] = branch;
}

CommandBranch CommandTable::Find(std::u16string_view name) const {
  const auto found = branches_.find(std::u16string(name));
  return found == branches_.end() ? nullptr : found->second;
}

const CommandTable& BuiltInCommands() {
  // Built once, read-only afterwards: the names never change during a process.
  static const CommandTable table = [] {
    CommandTable built;
    AddScriptFlowCommands(built);
    AddControlFlowCommands(built);
    AddWizardCommands(built);
    AddVariableCommands(built);
    AddMathematicsCommands(built);
    AddEnvironmentCommands(built);
    return built;
  }();
  return table;
}

}  // namespace velkor::interpreter
