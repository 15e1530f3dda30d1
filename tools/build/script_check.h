// Runs the engine's own script check (block structure, labels, required variables,
// dialog names, expressions) on a compiled script at build time, so that a setup
// which would end with the check's exit code is refused with the file and line of the
// failing statement instead.
#pragma once

#include "script/compiled_script.h"

namespace velkor::build {

// Throws BuildError ("main.vks:12: script check: ...") when the check fails.
void CheckCompiledScript(const script::CompiledScript& script);

}  // namespace velkor::build
