#include "interpreter/plugin_commands.h"

#include "core/path_text.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"

namespace velkor::interpreter {

std::u16string PluginLibraryPath(const Statement& statement) {
  Interpreter& run = statement.run();
  const std::u16string library = statement.Param(2);
  const std::u16string_view media_folder = run.statements().MediaFolder(statement.index());
  if (media_folder.empty()) {
    return run.variables().GetVariable(u"SUPPORTDIR") +
           std::u16string(core::FileNameOfPath(library));
  }
  // Web media (build mode 2) and the search for the original sources (build mode 3)
  // prepare the media root before this with the media commands.
  return core::WithTrailingBackslash(run.engine().identity.media_root) +
         core::WithTrailingBackslash(media_folder) + library;
}

void RunPluginCommand(Statement& statement) {
  Interpreter& run = statement.run();
  if (run.platform().files().FileExists(PluginLibraryPath(statement))) {
    // Calling the library's entry on a worker thread comes with the script worker
    // threads; until then a plug-in that is present does nothing.
    return;
  }
  if (run.Silent()) return;
  run.ShowMessage(
      u"Unable to load plug-in library. Please rebuild your project and make sure all required "
      u"plug-ins are installed.\r\rAction skipped",
      platform::message_box::kOk | platform::message_box::kIconError, run.wizard().current_window);
}

}  // namespace velkor::interpreter
