// Reads the text form of a setup script (script_format.h) into the script tables.
// This is the loader's bytes-level step; it touches no file and keeps no state, so
// any bytes may be given to it.
#pragma once

#include <string_view>

#include "script/script_load_result.h"

namespace velkor::script {

// Sections are read in order: each one's fixed lines, then its list up to its "$"
// line. Lines end with CR LF, LF or a lone CR; the last line may lack its end. A
// parameter line that is "$DOLLAR$" or "$WILD_DOLLAR$" (any case) reads as "$". Number
// lines that are not decimal read as 0, as do component sizes; a pair list with an odd
// last line pairs it with the empty text (a size of 0). Bytes after the last section's
// "$" line are ignored.
//
// Fails with LoadFailure::kMalformed when the data ends before a section's "$" line.
ScriptLoadResult ParseScriptText(std::string_view bytes);

}  // namespace velkor::script
