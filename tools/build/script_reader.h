// Reads a compiled script back into its data, for the dump. The engine's own loader
// (script_parser.h) reads it; only what the loaded tables do not hand out (the raw
// parameter table and the web media key pairs) is taken from the text directly, by the
// shared section layout (script_format.h).
#pragma once

#include <string_view>

#include "script/compiled_script.h"

namespace velkor::build {

// Parameter blocks are split at the next statement's key line (the build writes them
// in statement order). Throws BuildError on a malformed script.
script::CompiledScript ReadCompiledScript(std::string_view script_text);

}  // namespace velkor::build
