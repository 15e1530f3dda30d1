// The final steps of a run: the script's tables freed, the support folder deleted and the
// run trace closed. The start-up sequence takes them after the interpreter returns (or an
// error reached it); the interpreter takes them itself when the removable media the
// engine runs from goes away and the process must end.
#pragma once

#include "startup/engine_state.h"

namespace velkor::startup {

// How the run reached its final steps; each writes its own trace lines.
enum class RunEnding {
  // The interpreter returned: "  <Free>", "  </Free>", then the support folder.
  kReturned,
  // An error reached the start-up sequence: no "  <Free>" pair, only the support folder.
  kFailed,
  // The removable media went away: as kReturned, then "  <RemovableMediaPrematureEject>"
  // and "  </RemovableMediaPrematureEject>".
  kRemovableMediaRemoved,
};

// Writes the final trace lines and deletes the support folder, when there is one,
// between "  <CachedSupportDir>" and "  </CachedSupportDir>"; "</Velkor>" ends the
// trace. Freeing the script's tables is the caller's: the trace lines only record it.
void TakeFinalSteps(EngineState& engine, RunEnding ending);

}  // namespace velkor::startup
