// Writes a compiled script in the text form that the engine's loader reads
// (script_format.h): UTF-8 with a byte-order mark, CR LF line ends, the fourteen
// sections in order, parameter blocks in statement order for the statements that have
// parameters.
#pragma once

#include <string>

#include "script/compiled_script.h"

namespace velkor::script {

// Throws std::invalid_argument, naming the statement or table, when a text cannot be
// stored so that it reads back the same: it holds a line break (CR or LF); a list line
// or per-statement line is a lone "$" (it would end its section; parameters are the
// exception, stored as "$DOLLAR$"); a parameter is "$DOLLAR$" or "$WILD_DOLLAR$" in
// any case (it would read back as "$"); an install map target is "NEWHEADER" (it
// would start a group).
std::string WriteScriptText(const CompiledScript& script);

}  // namespace velkor::script
