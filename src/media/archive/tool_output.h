// Reading what 7-Zip prints: the technical listing ("l -slt") and the messages that tell
// one fatal error from another. Both tools we run (7zz, 7za.exe) print the same English
// messages; only the operating system's own error texts are localised, and those are
// not relied on.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "media/archive/archive_item.h"

namespace velkor::media::archive {

// The items of a technical listing, in the order listed. Names get "\" between folders.
std::vector<ArchiveItem> ParseTechnicalListing(std::string_view output);

// The library error code for a run of 7-Zip that ended with `exit_code` (error_code::kNone
// for 0).
uint32_t ClassifyToolFailure(int exit_code, std::string_view output);

// "2024-05-01 12:30:45" with an optional fraction of a second, as a FILETIME; 0 when the
// text is not such a time.
uint64_t ParseListingTime(std::string_view text);

// The attribute text of a listing ("A", "DA -rwxr-xr-x", "A 00020000 -rw-r--r--") or a
// Unix mode ("lrwxrwxrwx") as attribute bits (see ArchiveItem::attributes).
uint32_t ParseListingAttributes(std::string_view text);

}  // namespace velkor::media::archive
