#include "media/archive/archive_library.h"

#include <utility>

#include "core/case_mapping.h"
#include "core/text.h"
#include "media/archive/archive_errors.h"
#include "media/archive/tool_output.h"

namespace velkor::media::archive {
namespace {

using platform::SevenZipCommand;
using platform::SevenZipVerb;

std::optional<std::u16string> TypeSwitch(uint32_t code) {
  switch (code) {
    case archive_code::k7z:
      return u"-t7z";
    case archive_code::kWim:
      return u"-twim";
    case archive_code::kTar:
      return u"-ttar";
    case archive_code::kZip:
      return u"-tzip";
    case archive_code::kGzip:
      return u"-tgzip";
    case archive_code::kBzip2:
      return u"-tbzip2";
    case archive_code::kXz:
      return u"-txz";
  }
  return std::nullopt;
}

// 7-Zip's update actions: p (in archive, not matched), q (in archive, file gone),
// r (file not in archive), x (archive newer), y (archive older), z (same), w (unknown);
// 0 drops the item, 1 keeps it, 2 compresses the file.
std::optional<std::vector<std::u16string>> UpdateSwitches(uint32_t code) {
  switch (code) {
    case update_code::kAdd:
      return std::vector<std::u16string>{};
    case update_code::kUpdate:
      return std::vector<std::u16string>{u"-up1q1r2x1y2z1w2"};
    case update_code::kSynchronize:
      return std::vector<std::u16string>{u"-up0q0r2x1y2z1w2"};
  }
  return std::nullopt;
}

// Switches whose subject the library owns: the password and the list files, the archive
// type, the tool's streams and charsets, the output and working folders (paths that
// would bypass the platform's mapping).
bool IsReservedSwitch(std::u16string_view lower) {
  for (std::u16string_view prefix :
       {u"-p", u"-t", u"-o", u"-w", u"-i", u"-x", u"-a", u"-b", u"-si", u"-so", u"-scc", u"-scs"}) {
    if (lower.starts_with(prefix)) return true;
  }
  return false;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The first line of the output that reports an error, for the detail.
std::u16string FirstErrorLine(std::string_view output) {
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string_view::npos) end = output.size();
    const std::string_view line = output.substr(start, end - start);
    if (line.starts_with("ERROR") || line.starts_with("WARNING") ||
        line.find("Error") != std::string_view::npos) {
      return core::Utf8ToUtf16(line);
    }
    start = end + 1;
  }
  return {};
}

uint64_t TotalSize(const std::vector<ArchiveItem>& items) {
  uint64_t total = 0;
  for (const auto& item : items) total += item.size;
  return total;
}

// The bytes an extraction of the named items will write: items named, or inside a
// folder named.
uint64_t SelectedSize(const std::vector<ArchiveItem>& listed,
                      const std::vector<std::u16string>& names) {
  if (names.empty()) return TotalSize(listed);
  uint64_t total = 0;
  for (const auto& item : listed) {
    for (const auto& name : names) {
      const bool inside = item.name.size() > name.size() &&
                          core::StartsWithIgnoreCase(item.name, name) &&
                          item.name[name.size()] == u'\\';
      if (inside || core::EqualIgnoreCase(item.name, name)) {
        total += item.size;
        break;
      }
    }
  }
  return total;
}

}  // namespace

std::optional<std::vector<std::u16string>> SplitSwitchText(std::u16string_view switch_text) {
  std::vector<std::u16string> switches;
  size_t start = 0;
  while (start < switch_text.size()) {
    if (IsBlank(switch_text[start])) {
      ++start;
      continue;
    }
    size_t end = start;
    while (end < switch_text.size() && !IsBlank(switch_text[end])) ++end;
    std::u16string token(switch_text.substr(start, end - start));
    start = end;
    if (token.size() < 2 || token.front() != u'-' || token.find(u'"') != std::u16string::npos ||
        IsReservedSwitch(core::Lower(token))) {
      return std::nullopt;
    }
    switches.push_back(std::move(token));
  }
  return switches;
}

ArchiveLibrary::ArchiveLibrary(platform::SevenZip& tool, platform::FileSystem& files)
    : tool_(tool), files_(files) {}

void ArchiveLibrary::SetLibraryFolder(std::u16string folder) {
  work_folder_ = std::move(folder);
}

bool ArchiveLibrary::Fail(uint32_t code, std::u16string detail) {
  last_error_ = code;
  last_detail_ = std::move(detail);
  return false;
}

bool ArchiveLibrary::ArchiveExists(std::u16string_view archive) {
  if (files_.FileExists(archive)) return true;
  Fail(error_code::kArchiveNotFound, std::u16string(archive));
  return false;
}

std::optional<platform::SevenZipOutcome> ArchiveLibrary::Run(SevenZipCommand command,
                                                             const ProgressCallback& progress) {
  command.work_folder = work_folder_;
  platform::SevenZipProgressFn report;
  if (progress) {
    report = [&progress](const platform::SevenZipProgress& state) {
      return progress(state.current_file, state.done, state.total);
    };
  }
  auto outcome = tool_.Run(command, report);
  if (!outcome) {
    const uint32_t code = outcome.code();
    const bool bad_argument = code == platform::error::kInvalidParameter ||
                              code == platform::error::kInvalidName ||
                              code == platform::error::kBadPathname;
    Fail(bad_argument ? error_code::kBadArguments : error_code::kToolNotStarted,
         outcome.status().message());
    return std::nullopt;
  }
  if (outcome->stopped) {
    Fail(error_code::kStopped);
    return std::nullopt;
  }
  if (outcome->exit_code != platform::seven_zip_exit::kOk) {
    Fail(ClassifyToolFailure(outcome->exit_code, outcome->output), FirstErrorLine(outcome->output));
    return std::nullopt;
  }
  return std::move(*outcome);
}

std::optional<std::vector<ArchiveItem>> ArchiveLibrary::List(std::u16string_view archive,
                                                             std::u16string_view password) {
  SevenZipCommand command;
  command.verb = SevenZipVerb::kList;
  command.archive = archive;
  command.password = password;
  auto outcome = Run(std::move(command), nullptr);
  if (!outcome) return std::nullopt;
  return ParseTechnicalListing(outcome->output);
}

std::optional<std::vector<ArchiveItem>> ArchiveLibrary::OpenListArchive(
    std::u16string_view archive, std::u16string_view password) {
  if (!ArchiveExists(archive)) return std::nullopt;
  return List(archive, password);
}

bool ArchiveLibrary::ExtractArchive(std::u16string_view archive, std::u16string_view destination,
                                    const std::vector<std::u16string>& items, bool keep_paths,
                                    std::u16string_view password, bool overwrite_all,
                                    const ProgressCallback& progress) {
  if (!ArchiveExists(archive)) return false;
  // Every item is checked, not only the selected ones: 7-Zip extracts what lies below a
  // selected folder, and a refused archive is refused whole.
  const auto listed = List(archive, password);
  if (!listed) return false;
  for (const auto& item : *listed) {
    if (ItemMayEscape(item)) return Fail(error_code::kUnsafeItemPath, item.name);
  }
  SevenZipCommand command;
  command.verb = SevenZipVerb::kExtract;
  command.archive = archive;
  command.password = password;
  command.output_folder = destination;
  command.keep_paths = keep_paths;
  command.overwrite_all = overwrite_all;
  command.items = items;
  command.expected_bytes = SelectedSize(*listed, items);
  return Run(std::move(command), progress).has_value();
}

bool ArchiveLibrary::TestArchive(std::u16string_view archive, std::u16string_view password,
                                 const ProgressCallback& progress) {
  if (!ArchiveExists(archive)) return false;
  // The listing gives the total that 7-Zip's percentages are scaled by.
  const auto listed = List(archive, password);
  if (!listed) return false;
  SevenZipCommand command;
  command.verb = SevenZipVerb::kTest;
  command.archive = archive;
  command.password = password;
  command.expected_bytes = TotalSize(*listed);
  return Run(std::move(command), progress).has_value();
}

bool ArchiveLibrary::CreateArchive(std::u16string_view archive, uint32_t archive_code,
                                   const std::vector<std::u16string>& includes,
                                   const std::vector<std::u16string>& excludes,
                                   uint32_t update_code, std::u16string_view switch_text,
                                   std::u16string_view password, const ProgressCallback& progress) {
  const auto type = TypeSwitch(archive_code);
  if (!type)
    return Fail(error_code::kBadArguments,
                u"archive code " + core::U16(std::to_string(archive_code)));
  const auto update = UpdateSwitches(update_code);
  if (!update)
    return Fail(error_code::kBadArguments,
                u"update code " + core::U16(std::to_string(update_code)));
  const auto switches = SplitSwitchText(switch_text);
  if (!switches) return Fail(error_code::kBadArguments, std::u16string(switch_text));
  // 7-Zip given no names adds its current folder: never what was meant.
  if (includes.empty()) return Fail(error_code::kBadArguments, u"nothing to add");

  SevenZipCommand command;
  command.verb = SevenZipVerb::kAdd;
  command.archive = archive;
  command.password = password;
  command.items = includes;
  command.excludes = excludes;
  command.switches.push_back(*type);
  command.switches.insert(command.switches.end(), update->begin(), update->end());
  command.switches.insert(command.switches.end(), switches->begin(), switches->end());
  return Run(std::move(command), progress).has_value();
}

bool ArchiveLibrary::DeleteFromArchive(std::u16string_view archive,
                                       const std::vector<std::u16string>& files,
                                       std::u16string_view password,
                                       const ProgressCallback& progress) {
  if (!ArchiveExists(archive)) return false;
  if (files.empty()) return true;
  SevenZipCommand command;
  command.verb = SevenZipVerb::kDelete;
  command.archive = archive;
  command.password = password;
  command.items = files;
  return Run(std::move(command), progress).has_value();
}

}  // namespace velkor::media::archive
