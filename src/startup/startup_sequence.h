// The process entry's work: the mode of the process, the start-up steps of setup mode
// (start-up values, run trace, support folder, splash and preparing window, script load,
// resource extraction, dialog preload), the interpreter run, the clean-up, and the exit
// code. Main thread only.
//
// Exit codes: 0 normal end (or the script's own); 11 an error reached the start-up
// sequence; 13 the engine file carries no script; 14 the resource file is missing; 15
// its extraction failed; 314 the script check failed; 0, 1, 2 in out-of-process
// extraction mode.
#pragma once

#include <cstdint>

#include "platform/startup_windows.h"
#include "startup/archive_extraction.h"
#include "startup/engine_state.h"
#include "startup/language_attachment.h"

namespace velkor::startup {

// How the process must end. The sequence never ends the process itself, so that the
// sandbox and tests can run it in-process; the entry does.
struct EngineExit {
  uint32_t exit_code = 0;
  // End at once, without the normal exit clean-up (no script, no resources, a failed
  // check, a second instance).
  bool immediate = false;

  bool operator==(const EngineExit&) const = default;
};

// The services the sequence calls out to; all must outlive the call.
struct StartupServices {
  platform::StartupWindows& windows;
  ArchiveExtractor& archives;
  // Reads the language file attached to the archive library; may be empty.
  LanguageFileReader read_language_file;
};

inline constexpr std::u16string_view kNoScriptMessage = u"For internal use only";

// Runs the process: out-of-process extraction when argument 1 asks for it, else setup
// mode. In setup mode any error raised before the interpreter returns ends the run like
// one raised while loading the script: "Runtime error in install: " and the error's text
// unless silent, exit code 11, then the clean-up. That includes the steps before the
// script is loaded (folders, language file, support folder, windows), which have no
// reporting of their own, and a script whose data ends inside a section: the loader
// reports it as an error, not as a missing script (13).
EngineExit RunEngineProcess(EngineState& engine, const StartupServices& services);

}  // namespace velkor::startup
