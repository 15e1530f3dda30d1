// The engine process on either backend: the process-wide variable store and engine
// state around the start-up sequence.
#pragma once

#include "platform/platform.h"
#include "platform/startup_windows.h"
#include "startup/archive_extraction.h"
#include "startup/startup_sequence.h"

namespace velkor::app {

// Runs the whole engine process on the platform and returns how it must end; the
// caller ends the process.
startup::EngineExit RunEngineProcessOn(platform::Platform& platform,
                                       platform::StartupWindows& windows,
                                       startup::ArchiveExtractor& archives);

}  // namespace velkor::app
