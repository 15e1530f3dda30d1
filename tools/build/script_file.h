// Script files: one statement per line, written
//   [off] [key={GUID}] [media=FOLDER\] Command Name: parameter 1, parameter 2, ...
// Parameters are bare or quoted values (value_syntax.h); a statement without ':' has
// no parameters. Blank lines and '#' lines are ignored. docs/project-format.md has the
// full description.
#pragma once

#include <string>
#include <string_view>

#include "build_error.h"
#include "project.h"

namespace velkor::build {

ScriptFile ParseScriptFile(std::string_view bytes, const std::string& file);

// One statement as a line of text (without line end).
std::string WriteStatement(const ProjectStatement& statement, const SourcePlace& place);

// The whole file. Statements go on their recorded lines when those increase, so that a
// rebuilt file keeps its source positions; otherwise one after another.
std::string WriteScriptFile(const ScriptFile& script);

}  // namespace velkor::build
