#include "app/run_engine_sandbox.h"

#include "app/engine.h"
#include "app/library_extractor.h"
#include "platform/sandbox/seven_zip_runner.h"

namespace velkor::app {

startup::EngineExit RunEngine(platform::sandbox::SandboxPlatform& platform,
                              platform::sandbox::RecordedStartupWindows& windows) {
  platform::sandbox::SandboxSevenZip seven_zip(
      [&platform](std::u16string_view path) { return platform.HostPath(path); });
  LibraryExtractor archives(seven_zip, platform);
  try {
    return RunEngineProcessOn(platform, windows, archives);
  } catch (const platform::sandbox::ProcessExit& exit) {
    // A part of the engine that ends the process through the platform ends it at once.
    return {exit.code, true};
  }
}

startup::EngineExit RunEngine(platform::sandbox::SandboxPlatform& platform) {
  platform::sandbox::RecordedStartupWindows windows(platform.files());
  return RunEngine(platform, windows);
}

}  // namespace velkor::app
