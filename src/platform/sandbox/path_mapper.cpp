#include "platform/sandbox/path_mapper.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/sandbox/host_files.h"
#include "platform/sandbox/short_names.h"

namespace velkor::platform::sandbox {
namespace {

std::filesystem::path HostName(std::u16string_view name) {
  return std::filesystem::path(core::Utf16ToUtf8(name));
}

// The name on disk that `wanted` refers to in `folder`, if any.
std::optional<std::u16string> FindEntry(const std::filesystem::path& folder,
                                        const std::u16string& wanted) {
  struct stat info {};
  if (::lstat((folder / HostName(wanted)).c_str(), &info) == 0) return wanted;
  const std::vector<std::u16string> names = ListFolderNames(folder);
  for (const std::u16string& name : names) {
    if (core::EqualIgnoreCase(name, wanted)) return name;
  }
  if (wanted.find(u'~') == std::u16string::npos || !IsValidShortName(wanted)) return std::nullopt;
  const std::vector<std::u16string> short_names = AssignShortNames(names);
  for (size_t i = 0; i < names.size(); ++i) {
    if (core::EqualIgnoreCase(short_names[i], wanted)) return names[i];
  }
  return std::nullopt;
}

Status Refused(const std::filesystem::path& host) {
  return Status::Failure(error::kAccessDenied,
                         core::Utf8ToUtf16(host.string()) +
                             u": symbolic links and special files are not followed in a machine");
}

}  // namespace

PathMapper::PathMapper(std::filesystem::path machine_folder)
    : machine_folder_(std::move(machine_folder)) {}

std::filesystem::path PathMapper::DriveFolder(char16_t drive) const {
  const char letter = static_cast<char>(core::LowerChar(drive));
  return machine_folder_ / (std::string("drive_") + letter);
}

std::string PathMapper::KeyOf(const std::filesystem::path& host) const {
  return host.lexically_relative(machine_folder_).generic_string();
}

Result<MappedPath> PathMapper::Map(const WindowsPath& path) const {
  MappedPath mapped;
  mapped.host = DriveFolder(path.drive);
  Result<EntryKind> kind = HostEntryKind(mapped.host);
  if (!kind.ok()) return kind.status();
  mapped.kind = *kind;
  mapped.parent_exists = mapped.kind == EntryKind::kFolder;
  for (const std::u16string& component : path.components) {
    const bool in_folder = mapped.kind == EntryKind::kFolder;
    mapped.parent_exists = in_folder;
    std::optional<std::u16string> found;
    if (in_folder) found = FindEntry(mapped.host, component);
    mapped.names.push_back(found ? *found : component);
    mapped.host /= HostName(mapped.names.back());
    if (!found) {
      mapped.kind = EntryKind::kMissing;
      continue;
    }
    kind = HostEntryKind(mapped.host);
    if (!kind.ok()) return kind.status();
    mapped.kind = *kind;
  }
  // A path through a file or a missing folder has no parent to create the entry in.
  return mapped;
}

std::vector<std::u16string> ListFolderNames(const std::filesystem::path& folder) {
  std::vector<std::u16string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::u16string name = core::Utf8ToUtf16(it->path().filename().string());
    if (IsValidEntryName(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

Result<EntryKind> HostEntryKind(const std::filesystem::path& host) {
  struct stat info {};
  if (::lstat(host.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return EntryKind::kMissing;
    return HostFailure(errno, core::Utf8ToUtf16(host.string()));
  }
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  if (S_ISREG(info.st_mode)) return EntryKind::kFile;
  return Refused(host);
}

}  // namespace velkor::platform::sandbox
