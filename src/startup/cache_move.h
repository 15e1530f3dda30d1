// Moving the installer cache to the root the script names in OVERRIDECACHE: the root is
// tried by creating it, the bootstrap runs again against it, and the folders that only
// the try created are removed again (the cache itself is written later, by the run's
// changes). Main thread only.
#pragma once

#include <string_view>

#include "script/script_tables.h"
#include "startup/bootstrap.h"
#include "startup/engine_state.h"

namespace velkor::startup {

inline constexpr std::u16string_view kTagFailedCacheOverride = u"Failed Cache Override";

// On success OVERRIDECACHE becomes the root with a trailing backslash, the bootstrap
// reruns and the value is remembered as applied (engine.identity.applied_override_cache);
// when the root cannot be created OVERRIDECACHE is emptied and nothing is applied.
// Returns whether the cache moved.
bool MoveCache(EngineState& engine, const script::ScriptTables& script,
               std::u16string_view new_root, std::u16string_view package_path,
               BootstrapServices& services);

}  // namespace velkor::startup
