// The support folder: the private folder in the work folder that the resource archive is
// unpacked into, and the removal of a folder tree at the end of the run.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace velkor::startup {

// Work folder + "vex" + N + "\" for the first N from 1 upward for which neither a folder
// nor a file of that name exists. The work folder carries a trailing backslash.
std::u16string FindSupportFolder(platform::FileSystem& files, std::u16string_view work_folder);

// Deletes everything below the folder in three passes, each removing what earlier passes
// could not (a file still in use by a process that is ending), then removes the folder.
// Read-only files are made writable first. Failures are ignored: what cannot be removed
// stays. An empty folder text deletes nothing.
void DeleteFolderTree(platform::FileSystem& files, std::u16string_view folder);

}  // namespace velkor::startup
