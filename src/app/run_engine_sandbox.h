// The engine on the sandbox machine: what the simulator runs for one setup start.
#pragma once

#include "platform/sandbox/recorded_startup_windows.h"
#include "platform/sandbox/sandbox_platform.h"
#include "startup/startup_sequence.h"

namespace velkor::app {

// Runs the engine on the machine with the engine file and arguments the platform was
// opened with, and returns how the process ended (an immediate end included: the
// sandbox never ends the host process). Archives are extracted with the host's 7zz.
// The splash and the preparing window are recorded in `windows`.
startup::EngineExit RunEngine(platform::sandbox::SandboxPlatform& platform,
                              platform::sandbox::RecordedStartupWindows& windows);
startup::EngineExit RunEngine(platform::sandbox::SandboxPlatform& platform);

}  // namespace velkor::app
