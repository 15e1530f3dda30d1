// Statements whose command name the script lists as a plug-in command: they call a
// library shipped with the setup instead of a built-in branch.
#pragma once

#include <string>

namespace velkor::interpreter {

class Statement;

// Where the statement's library lies: in the support folder (the file name of parameter
// 2), or, for a statement with a media folder, below the media root.
std::u16string PluginLibraryPath(const Statement& statement);

// Runs a plug-in statement. A library that is not there is reported (unless silent) and
// the statement is skipped.
void RunPluginCommand(Statement& statement);

}  // namespace velkor::interpreter
