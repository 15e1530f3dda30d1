// Reads a compiled script back into its data, for the dump, through the engine's own
// loader (script_parser.h) and the tables it hands out.
#pragma once

#include <string_view>

#include "script/compiled_script.h"

namespace velkor::build {

// Parameter blocks are split at the next statement's key line (the build writes them
// in statement order). Throws BuildError on a malformed script.
script::CompiledScript ReadCompiledScript(std::string_view script_text);

}  // namespace velkor::build
