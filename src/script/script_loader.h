// Finds the setup script appended to the engine file and loads it into the script
// tables. Called once by the start-up sequence, on the main thread, before any worker
// exists; the caller owns the returned tables.
#pragma once

#include <string_view>

#include "platform/file_system.h"
#include "script/script_load_result.h"

namespace velkor::script {

// The name of the temporary copy of the script in the work folder; it exists only
// while the load runs.
inline constexpr std::u16string_view kScriptCopyName = u"vex.tmp";

// Reads the engine file (the running program's own file), takes every byte after its
// executable image (pe_image.h) as the script, writes them to kScriptCopyName in the
// work folder (created or overwritten), reads that copy back with ParseScriptText and
// deletes it. Failures (see LoadFailure): kFileError when the engine file cannot be
// read or the copy cannot be written or read; kBadImage when the image headers cannot
// be read; kNoScript when nothing follows the image; kMalformed from the parser. The
// copy is deleted whenever it was written.
ScriptLoadResult LoadSetupScript(platform::FileSystem& files, std::u16string_view engine_file,
                                 std::u16string_view work_folder);

}  // namespace velkor::script
