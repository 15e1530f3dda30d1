// The engine's archive library: lists, tests, extracts, creates and edits archives by
// running 7-Zip through the platform's SevenZip seam. Each call returns whether it
// succeeded; after a failure LastError() gives the code (archive_errors.h).
//
// Extraction never writes outside its destination: the archive is listed first, and
// when any item could escape (a rooted name, a drive, a ".." step, a link) the whole
// extraction is refused with kUnsafeItemPath before anything is written.
//
// An instance serves one thread at a time (the last error is per instance); give each
// worker its own. The callbacks run on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/archive/archive_item.h"
#include "platform/file_system.h"
#include "platform/seven_zip.h"

namespace velkor::media::archive {

// (current file, bytes done, bytes total) -> false to stop.
using ProgressCallback =
    std::function<bool(std::u16string_view current_file, uint64_t done, uint64_t total)>;

// The archive codes of CreateArchive: the format of a new archive.
namespace archive_code {
inline constexpr uint32_t k7z = 0;
inline constexpr uint32_t kWim = 1;
inline constexpr uint32_t kTar = 4;
inline constexpr uint32_t kZip = 5;
inline constexpr uint32_t kGzip = 6;
inline constexpr uint32_t kBzip2 = 130;
inline constexpr uint32_t kXz = 132;
}  // namespace archive_code

// The update codes of CreateArchive: what happens to files already in the archive.
namespace update_code {
inline constexpr uint32_t kAdd = 0;          // add every file, replacing items of the same name
inline constexpr uint32_t kUpdate = 1;       // add new files, replace items only by newer files
inline constexpr uint32_t kSynchronize = 2;  // as kUpdate, and remove items whose file is gone
}  // namespace update_code

class ArchiveLibrary {
 public:
  ArchiveLibrary(platform::SevenZip& tool, platform::FileSystem& files);

  // The folder (Windows path) where the library keeps its working files: the lists of
  // names it hands 7-Zip. Empty: the system temporary folder.
  void SetLibraryFolder(std::u16string folder);

  // Every item of the archive.
  std::optional<std::vector<ArchiveItem>> OpenListArchive(std::u16string_view archive,
                                                          std::u16string_view password);

  // Extracts the named items (stored names as listed; a folder brings its contents), or
  // every item when `items` is empty. Without `keep_paths` every file lands directly in
  // the destination. Existing files are overwritten with `overwrite_all`, else kept.
  bool ExtractArchive(std::u16string_view archive, std::u16string_view destination,
                      const std::vector<std::u16string>& items, bool keep_paths,
                      std::u16string_view password, bool overwrite_all,
                      const ProgressCallback& progress);

  bool TestArchive(std::u16string_view archive, std::u16string_view password,
                   const ProgressCallback& progress);

  // Adds the include list (files, folders, wildcards; full paths) leaving out the
  // exclude list (names or wildcards, or full paths). `switch_text` holds 7-Zip switches
  // separated by blanks; switches the library sets itself (password, type, lists,
  // streams, charsets, output and working folders) are refused with kBadArguments. A
  // non-empty password encrypts the new data.
  bool CreateArchive(std::u16string_view archive, uint32_t archive_code,
                     const std::vector<std::u16string>& includes,
                     const std::vector<std::u16string>& excludes, uint32_t update_code,
                     std::u16string_view switch_text, std::u16string_view password,
                     const ProgressCallback& progress);

  // Removes the items (stored names or wildcards). An empty list removes nothing.
  bool DeleteFromArchive(std::u16string_view archive, const std::vector<std::u16string>& files,
                         std::u16string_view password, const ProgressCallback& progress);

  // The code of the last failed call; kNone before any failure.
  uint32_t LastError() const { return last_error_; }
  // What the code is about: the item name for kUnsafeItemPath, the platform's message
  // when 7-Zip could not be run, else the tool's first error line; may be empty.
  const std::u16string& LastErrorDetail() const { return last_detail_; }

 private:
  bool Fail(uint32_t code, std::u16string detail = {});
  bool ArchiveExists(std::u16string_view archive);
  // Runs the tool; on failure records the error and returns nullopt.
  std::optional<platform::SevenZipOutcome> Run(platform::SevenZipCommand command,
                                               const ProgressCallback& progress);
  std::optional<std::vector<ArchiveItem>> List(std::u16string_view archive,
                                               std::u16string_view password);

  platform::SevenZip& tool_;
  platform::FileSystem& files_;
  std::u16string work_folder_;
  uint32_t last_error_ = 0;
  std::u16string last_detail_;
};

// The switch text split into 7-Zip switches, or nullopt when it holds something that is
// not a switch or a switch the library sets itself.
std::optional<std::vector<std::u16string>> SplitSwitchText(std::u16string_view switch_text);

}  // namespace velkor::media::archive
