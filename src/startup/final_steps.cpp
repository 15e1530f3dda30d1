#include "startup/final_steps.h"

#include "startup/support_folder.h"

namespace velkor::startup {

void TakeFinalSteps(EngineState& engine, RunEnding ending) {
  RunTrace& trace = engine.trace;
  if (ending != RunEnding::kFailed) {
    trace.WriteTrace(u"  <Free>");
    trace.WriteTrace(u"  </Free>");
  }
  trace.WriteTrace(u"  <CachedSupportDir>");
  platform::FileSystem& files = engine.platform.files();
  const std::u16string& support_folder = engine.values.support_folder;
  if (!support_folder.empty() && files.FolderExists(support_folder)) {
    DeleteFolderTree(files, support_folder);
  }
  trace.WriteTrace(u"  </CachedSupportDir>");
  if (ending == RunEnding::kRemovableMediaRemoved) {
    trace.WriteTrace(u"  <RemovableMediaPrematureEject>");
    trace.WriteTrace(u"  </RemovableMediaPrematureEject>");
  }
  trace.WriteTrace(u"</Velkor>");
}

}  // namespace velkor::startup
