// Out-of-process extraction mode: the engine started with the arguments
// "OutOfProcessExtract" and a control file extracts one archive for the engine process
// that started it and reports through the control file.
//
// Control file (UTF-8, optional byte-order mark, CR LF lines): archive path, password,
// destination folder, path flag, overwrite-all flag (flags in the engine's truth texts).
// Item file: the control file path + "items", one item per line; missing or empty means
// every item. Afterwards the control file holds one line: the extraction's error text,
// empty on success.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "startup/archive_extraction.h"

namespace velkor::startup {

namespace out_of_process_exit {
inline constexpr uint32_t kDone = 0;  // the result is in the control file
inline constexpr uint32_t kNoControlFile = 1;
inline constexpr uint32_t kNoArchive = 2;
}  // namespace out_of_process_exit

// Runs the mode and returns the process exit code.
uint32_t RunOutOfProcessExtraction(platform::FileSystem& files, ArchiveExtractor& extractor,
                                   const std::u16string& control_file);

}  // namespace velkor::startup
