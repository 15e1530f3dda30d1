#include "media/archive/archive_operations.h"

#include <unordered_set>
#include <utility>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "media/archive/archive_errors.h"
#include "media/archive/switch_text.h"

namespace velkor::media::archive {
namespace {

ArchiveResult Success() {
  return {true, {}};
}

// The error text of the library's last failure.
ArchiveResult Failure(const ArchiveLibrary& library) {
  if (library.LastError() == error_code::kUnsafeItemPath) {
    return {false,
            u"The archive holds an item that could be written outside the destination "
            u"folder: " +
                library.LastErrorDetail()};
  }
  return {false, ArchiveErrorText(library.LastError())};
}

void Trim(ArchiveContext& context) {
  if (context.trim_working_set) context.trim_working_set();
}

}  // namespace

std::u16string ArchiveErrorText(uint32_t code) {
  return u"#" + core::DecimalText(code);
}

ArchiveResult ListArchive(ArchiveContext& context, std::u16string_view archive,
                          std::u16string_view password, std::vector<ArchiveItem>& items) {
  auto listed = context.library.OpenListArchive(archive, password);
  if (!listed) {
    if (context.library.LastError() == error_code::kCannotOpen) {
      return {false, std::u16string(kCannotOpenMessage)};
    }
    return Failure(context.library);
  }
  items = std::move(*listed);
  return Success();
}

ArchiveResult ExtractArchive(ArchiveContext& context, std::u16string_view archive,
                             std::u16string_view password, std::u16string_view destination,
                             const std::optional<std::vector<std::u16string>>& items,
                             const ProgressCallback& progress, bool overwrite_all,
                             bool keep_paths) {
  // An empty list asks the library for every item: the listing only has to succeed. Its
  // names are not passed back, for 7-Zip shows control characters in names differently
  // from how it stores them.
  std::vector<std::u16string> selected;
  if (items) {
    selected = *items;
  } else {
    std::vector<ArchiveItem> listed;
    if (ArchiveResult listing = ListArchive(context, archive, password, listed); !listing.ok) {
      return listing;
    }
  }

  ArchiveLibrary& library = context.library;
  auto extract = [&] {
    return library.ExtractArchive(archive, destination, selected, keep_paths, password,
                                  overwrite_all, progress);
  };
  if (extract()) return Success();
  if (library.LastError() != error_code::kOutOfMemory) return Failure(library);

  Trim(context);
  if (extract()) return Success();
  if (library.LastError() != error_code::kOutOfMemory || !context.extract_out_of_process) {
    return Failure(library);
  }

  OutOfProcessExtraction request;
  request.archive = archive;
  request.password = password;
  request.destination = destination;
  request.items = selected;
  request.keep_paths = keep_paths;
  request.overwrite_all = overwrite_all;
  std::u16string error = context.extract_out_of_process(request);
  return {error.empty(), std::move(error)};
}

ArchiveResult TestArchive(ArchiveContext& context, std::u16string_view archive,
                          std::u16string_view password, const ProgressCallback& progress) {
  if (context.library.TestArchive(archive, password, progress)) return Success();
  return Failure(context.library);
}

std::vector<std::u16string> PrepareFileList(std::vector<std::u16string> entries) {
  std::vector<std::u16string> prepared;
  std::unordered_set<std::u16string> seen;
  for (auto& entry : entries) {
    if (!seen.insert(core::Lower(entry)).second) continue;
    if (const size_t at = entry.find(u"*.*"); at != std::u16string::npos) {
      entry.replace(at, 3, u"*");
    }
    prepared.push_back(std::move(entry));
  }
  return prepared;
}

ArchiveResult CreateArchive(ArchiveContext& context, std::u16string_view archive,
                            std::u16string_view password, std::u16string_view switch_text,
                            std::vector<std::u16string> includes,
                            std::vector<std::u16string> excludes, uint32_t update_code,
                            uint32_t archive_code, const ProgressCallback& progress) {
  includes = PrepareFileList(std::move(includes));
  excludes = PrepareFileList(std::move(excludes));
  Trim(context);
  const PresetMatch preset = FindPreset(switch_text, context.processor_count);

  ArchiveLibrary& library = context.library;
  auto create = [&](std::u16string_view switches) {
    return library.CreateArchive(archive, archive_code, includes, excludes, update_code, switches,
                                 password, progress);
  };
  if (create(switch_text)) return Success();
  if (preset.level == 0) return Failure(library);
  for (int level : {preset.level - 1, preset.level - 2, 1}) {
    if (library.LastError() != error_code::kOutOfMemory) break;
    const std::u16string lower =
        PresetSwitchText(level, preset.header_encryption, context.processor_count);
    if (create(lower)) return Success();
  }
  return Failure(library);
}

ArchiveResult DeleteFromArchive(ArchiveContext& context, std::u16string_view archive,
                                std::u16string_view password,
                                const std::vector<std::u16string>& files,
                                const ProgressCallback& progress) {
  if (context.library.DeleteFromArchive(archive, files, password, progress)) return Success();
  return Failure(context.library);
}

}  // namespace velkor::media::archive
