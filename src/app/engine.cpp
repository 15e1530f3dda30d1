#include "app/engine.h"

#include "script/variable_manager.h"
#include "script/variables.h"
#include "startup/engine_state.h"

namespace velkor::app {

startup::EngineExit RunEngineProcessOn(platform::Platform& platform,
                                       platform::StartupWindows& windows,
                                       startup::ArchiveExtractor& archives) {
  script::TVariableManager store;
  script::Variables variables(store);
  startup::EngineState engine(platform, variables);
  // No language file reader is bound: the message table keeps its default texts.
  const startup::StartupServices services{windows, archives, {}};
  return startup::RunEngineProcess(engine, services);
}

}  // namespace velkor::app
