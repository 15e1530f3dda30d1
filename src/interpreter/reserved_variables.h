// The reserved variables the engine defines for the script, phase by phase: the worker
// channel, the pre-initialization values, the initialization list, the command-line
// injection, and the refresh before every statement that turns LOGGED, SILENT, TITLE,
// KEVOLOGO and OVERRIDECACHE into engine settings. Main thread only; the worker channel
// is written by workers afterwards through the store's own lock.
#pragma once

#include <string_view>

#include "script/script_tables.h"
#include "startup/bootstrap.h"
#include "startup/engine_state.h"

namespace velkor::interpreter {

inline constexpr std::u16string_view kTagPreInitialization = u"Pre-Initialization";

// KEVO_thProgress, KEVO_thMax, KEVO_thMin, KEVO_thProgressText, KEVO_thFinished,
// KEVO_thCancelled, KEVO_IsCancelled and the two heartbeat ticks (the tick count now).
void DefineWorkerChannel(startup::EngineState& engine);

// TARGETDIR (the start-up target folder), STARTMENU (the script's title) and ALLUSERS
// (the administrator test), before the bootstrap knows better.
void SetPreInitialization(startup::EngineState& engine, const script::ScriptTables& script);

// The script's identity (product code, revision code, title), then the bootstrap for
// the setup package (engine.values.setup_package_path). Without services: a product
// that nothing reports installed and no saved state to restore.
void RunBootstrap(startup::EngineState& engine, const script::ScriptTables& script);
void RunBootstrap(startup::EngineState& engine, const script::ScriptTables& script,
                  startup::BootstrapServices& services);

// The initialization list, in its fixed order, after the bootstrap. NATIVE_ENGINE and
// OVERRIDECACHE keep a value the bootstrap restored. MSIFILE is
// engine.values.setup_package_path. LANGUAGE starts empty: the language selection
// follows.
void SetInitializationVariables(startup::EngineState& engine, const script::ScriptTables& script);

// The "=" list, then the ":" list of the command line, each name defined when missing
// and set otherwise, with the writer tag that may overwrite what that list protects.
void InjectCommandLine(startup::EngineState& engine);

// Before every statement: LOGGED becomes the trace's log path, SILENT the silent flag,
// TITLE and KEVOLOGO the message caption; a new OVERRIDECACHE moves the cache (the
// bootstrap reruns with `services`); DATE and TIME are set to now; UNINSTALLLINK and
// ENGINECACHE are recomputed. LANGUAGE is the language selection's to refresh: it is
// independent of these and may run before or after.
void RefreshEngineSettings(startup::EngineState& engine, const script::ScriptTables& script);
void RefreshEngineSettings(startup::EngineState& engine, const script::ScriptTables& script,
                           startup::BootstrapServices& services);

}  // namespace velkor::interpreter
