// The engine's archive operations: the wrappers the extraction and archive command
// workers call. Each returns success and, on failure, the error text the script and the
// dialogs see: "#" followed by the library's error code (archive_errors.h), or a
// message (kCannotOpenMessage when a listing cannot open the archive, or the refusal of
// an archive whose items would escape the destination).
//
// Out of memory (1018) is met with retries: the extraction trims the working set and
// tries again, then hands the extraction to a second engine process; the compression
// steps down through lower presets.
//
// Called on the worker thread that owns the context's library.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/archive/archive_item.h"
#include "media/archive/archive_library.h"

namespace velkor::media::archive {

inline constexpr std::u16string_view kCannotOpenMessage =
    u"The archive cannot be opened: unsupported archive or incorrect password";

struct ArchiveResult {
  bool ok = false;
  std::u16string error_text;  // empty on success
};

// An extraction handed to a second engine process.
struct OutOfProcessExtraction {
  std::u16string archive;
  std::u16string password;
  std::u16string destination;
  std::vector<std::u16string> items;  // empty: every item
  bool keep_paths = true;
  bool overwrite_all = true;
};

struct ArchiveContext {
  ArchiveLibrary& library;
  // For the thread switch of the compression presets.
  uint32_t processor_count = 1;
  // Gives memory back to the system before a retry; may be empty.
  std::function<void()> trim_working_set;
  // Runs the extraction in a second engine process and returns its error text (empty
  // on success, "#1016" when the process could not be started). Leave it empty in a
  // process that is itself such an extractor: it must not hand the work on again.
  std::function<std::u16string(const OutOfProcessExtraction&)> extract_out_of_process;
};

// "#" + the code.
std::u16string ArchiveErrorText(uint32_t code);

// Without `items` the archive is listed first and every item is extracted; a listing
// that fails fails the extraction with the listing's error text.
ArchiveResult ExtractArchive(ArchiveContext& context, std::u16string_view archive,
                             std::u16string_view password, std::u16string_view destination,
                             const std::optional<std::vector<std::u16string>>& items,
                             const ProgressCallback& progress, bool overwrite_all, bool keep_paths);

ArchiveResult TestArchive(ArchiveContext& context, std::u16string_view archive,
                          std::u16string_view password, const ProgressCallback& progress);

// Fills `items` (names, sizes, packed sizes, times, attributes) on success.
ArchiveResult ListArchive(ArchiveContext& context, std::u16string_view archive,
                          std::u16string_view password, std::vector<ArchiveItem>& items);

// The two codes are passed to the library unchanged (archive_library.h says what they
// mean). A switch text that is a preset and runs out of memory is retried with the
// presets of the level below, two below, then level 1, while the error stays 1018.
ArchiveResult CreateArchive(ArchiveContext& context, std::u16string_view archive,
                            std::u16string_view password, std::u16string_view switch_text,
                            std::vector<std::u16string> includes,
                            std::vector<std::u16string> excludes, uint32_t update_code,
                            uint32_t archive_code, const ProgressCallback& progress);

ArchiveResult DeleteFromArchive(ArchiveContext& context, std::u16string_view archive,
                                std::u16string_view password,
                                const std::vector<std::u16string>& files,
                                const ProgressCallback& progress);

// The include and exclude lists as the compression takes them: duplicates (ignoring
// case) removed, the first "*.*" of each entry made "*".
std::vector<std::u16string> PrepareFileList(std::vector<std::u16string> entries);

}  // namespace velkor::media::archive
