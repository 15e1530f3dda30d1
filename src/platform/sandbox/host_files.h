// The host file operations the sandbox builds on, on host paths that the path mapper
// has already confined to the machine folder. None follows a symbolic link at the last
// component. Host errors become Windows error codes here and nowhere else. Thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace velkor::platform::sandbox {

// The Windows error for a host errno, with `what` and the host's text as message.
Status HostFailure(int error_number, std::u16string_view what);

Result<std::string> ReadHostFile(const std::filesystem::path& file);

// Writes a new file in `staging` (a folder on the same host file system), flushes it to
// disk and renames it over `target`, so that a crash leaves the old or the new content,
// never a torn mix.
Status WriteHostFileAtomically(const std::filesystem::path& staging,
                               const std::filesystem::path& target, std::string_view bytes);
// The same for a copy of `source`, which keeps its last write time.
Status CopyHostFileAtomically(const std::filesystem::path& staging,
                              const std::filesystem::path& source,
                              const std::filesystem::path& target);

// Creates `file` when missing and appends; an interrupted append leaves the earlier
// content intact.
Status AppendHostFile(const std::filesystem::path& file, std::string_view bytes);

// Creates a new empty file; fails with kFileExists when the name is taken.
Status CreateHostFileExclusive(const std::filesystem::path& file);

// FILETIME (100 ns units since 1601) of a host time in seconds and nanoseconds.
uint64_t FileTimeOf(int64_t seconds, int64_t nanoseconds);

}  // namespace velkor::platform::sandbox
