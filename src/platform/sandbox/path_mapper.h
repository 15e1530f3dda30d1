// Maps parsed Windows paths onto host paths inside the machine folder:
// drive X is <machine>/drive_x/, and each component is matched against the existing
// host entries without regard to case (an exact match first, then the first in code
// unit order, then a generated 8.3 short name); components from the first missing one on keep
// the case they were given. A symbolic link or a special file (device, pipe, socket) on
// the way is refused with kAccessDenied, so a mapped path never leads out of the machine.
// Immutable after construction; any thread may call.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sandbox/windows_path.h"
#include "platform/status.h"

namespace velkor::platform::sandbox {

enum class EntryKind { kMissing, kFile, kFolder };

struct MappedPath {
  std::filesystem::path host;  // where the entry is or would be created
  EntryKind kind = EntryKind::kMissing;
  // The folder that holds (or would hold) the entry exists.
  bool parent_exists = false;
  // The names on disk of the components that exist, then the given names of the rest.
  std::vector<std::u16string> names;

  bool exists() const { return kind != EntryKind::kMissing; }
};

class PathMapper {
 public:
  // `machine_folder` must be an absolute path without symbolic links.
  explicit PathMapper(std::filesystem::path machine_folder);

  Result<MappedPath> Map(const WindowsPath& path) const;

  std::filesystem::path DriveFolder(char16_t drive) const;
  // A stable key for a mapped host path: its part below the machine folder.
  std::string KeyOf(const std::filesystem::path& host) const;

 private:
  std::filesystem::path machine_folder_;
};

// The names of a host folder's entries whose names Windows could hold, sorted by code
// unit; empty when the folder cannot be read.
std::vector<std::u16string> ListFolderNames(const std::filesystem::path& folder);

// The kind of a host entry without following a link; fails for links and special files.
Result<EntryKind> HostEntryKind(const std::filesystem::path& host);

}  // namespace velkor::platform::sandbox
