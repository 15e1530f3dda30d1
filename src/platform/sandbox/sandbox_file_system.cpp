#include "platform/sandbox/sandbox_file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>

#include "core/case_mapping.h"
#include "core/path_text.h"
#include "core/text.h"
#include "platform/sandbox/file_errors.h"
#include "platform/sandbox/host_files.h"
#include "platform/sandbox/short_names.h"
#include "platform/sandbox/standard_folders.h"

namespace velkor::platform::sandbox {
namespace {

// The bits SetFileAttributes can change.
constexpr uint32_t kSettable = attribute::kReadOnly | attribute::kHidden | attribute::kSystem |
                               attribute::kArchive | attribute::kTemporary | 0x1000 | 0x2000;

std::u16string HexText(uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return text;
}

// The drive letter of "X:" or "X:\"; nullopt for anything else.
std::optional<char16_t> RootDriveLetter(std::u16string_view root) {
  if (root.size() < 2 || root.size() > 3 || root[1] != u':') return std::nullopt;
  if (root.size() == 3 && root[2] != u'\\' && root[2] != u'/') return std::nullopt;
  const char16_t letter = core::UpperChar(root[0]);
  if (letter < u'A' || letter > u'Z') return std::nullopt;
  return letter;
}

// Whether the comma-separated letters ("D,E"; "D:" also reads as D) name the drive.
bool ListsDrive(std::u16string_view letters, char16_t drive) {
  size_t start = 0;
  while (start <= letters.size()) {
    const size_t comma = std::min(letters.find(u',', start), letters.size());
    std::u16string_view item = letters.substr(start, comma - start);
    while (!item.empty() && item.front() == u' ') item.remove_prefix(1);
    while (!item.empty() && (item.back() == u' ' || item.back() == u':')) item.remove_suffix(1);
    if (item.size() == 1 && core::UpperChar(item[0]) == drive) return true;
    start = comma + 1;
  }
  return false;
}

}  // namespace

SandboxFileSystem::SandboxFileSystem(const PathMapper& mapper, AttributeStore& attributes,
                                     const LiveProfile& profile, std::filesystem::path staging)
    : mapper_(mapper), attributes_(attributes), profile_(profile), staging_(std::move(staging)) {}

Result<SandboxFileSystem::Entry> SandboxFileSystem::Locate(std::u16string_view path) {
  Result<WindowsPath> parsed = ParseWindowsPath(path);
  if (!parsed.ok()) return parsed.status();
  return Locate(*parsed);
}

Result<SandboxFileSystem::Entry> SandboxFileSystem::Locate(const WindowsPath& path) {
  Result<MappedPath> mapped = mapper_.Map(path);
  if (!mapped.ok()) return mapped.status();
  Entry entry{path, std::move(*mapped), {}};
  entry.key = mapper_.KeyOf(entry.mapped.host);
  return entry;
}

Result<SandboxFileSystem::Entry> SandboxFileSystem::LocateExisting(std::u16string_view path) {
  Result<Entry> entry = Locate(path);
  if (entry.ok() && !entry->exists()) return NotFound(path, entry->mapped);
  return entry;
}

uint32_t SandboxFileSystem::AttributesOf(const Entry& entry) {
  const std::optional<uint32_t> stored = attributes_.Find(entry.key);
  if (entry.is_folder()) return attribute::kDirectory | stored.value_or(0);
  if (!stored) return attribute::kArchive;
  return *stored == 0 ? attribute::kNormal : *stored;
}

void SandboxFileSystem::NoteWritten(const Entry& entry) {
  if (!entry.exists()) {
    // A record left by an entry deleted behind the sandbox's back must not apply.
    attributes_.Erase(entry.key);
    return;
  }
  const std::optional<uint32_t> stored = attributes_.Find(entry.key);
  if (stored && (*stored & attribute::kArchive) == 0) {
    attributes_.Put(entry.key, *stored | attribute::kArchive);
  }
}

bool SandboxFileSystem::FileExists(std::u16string_view path) {
  Result<Entry> entry = Locate(path);
  return entry.ok() && entry->is_file();
}

bool SandboxFileSystem::FolderExists(std::u16string_view path) {
  Result<Entry> entry = Locate(path);
  return entry.ok() && entry->is_folder();
}

Result<uint32_t> SandboxFileSystem::GetAttributes(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  return AttributesOf(*entry);
}

Status SandboxFileSystem::SetAttributes(std::u16string_view path, uint32_t attributes) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  return attributes_.Put(entry->key, attributes & kSettable);
}

Status SandboxFileSystem::CreateFolder(std::u16string_view path) {
  Result<Entry> entry = Locate(path);
  if (!entry.ok()) return entry.status();
  if (entry->is_folder()) return Status::Ok();
  if (entry->is_file()) return Failure(error::kAlreadyExists, path, u"a file of that name exists");
  std::filesystem::path host = mapper_.DriveFolder(entry->path.drive);
  if (Result<EntryKind> drive = HostEntryKind(host); !drive.ok() || *drive != EntryKind::kFolder) {
    return Failure(error::kPathNotFound, path, u"the drive does not exist");
  }
  // Existing components carry their names on disk, new ones the names given.
  for (const std::u16string& name : entry->mapped.names) {
    host /= core::Utf16ToUtf8(name);
    Result<EntryKind> kind = HostEntryKind(host);
    if (!kind.ok()) return kind.status();
    if (*kind == EntryKind::kFolder) continue;
    if (*kind == EntryKind::kFile)
      return Failure(error::kPathNotFound, path, u"a file is in the way");
    if (::mkdir(host.c_str(), 0755) != 0 && errno != EEXIST) return HostFailure(errno, path);
  }
  return Status::Ok();
}

Status SandboxFileSystem::RemoveFolder(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  if (!entry->is_folder()) return Failure(error::kDirectory, path, u"not a folder");
  if (entry->path.is_root()) return Failure(error::kAccessDenied, path, u"a drive root");
  if (IsReadOnly(*entry)) return Failure(error::kAccessDenied, path, u"the folder is read-only");
  if (::rmdir(entry->mapped.host.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) {
      return Failure(error::kDirNotEmpty, path, u"the folder is not empty");
    }
    return HostFailure(errno, path);
  }
  return attributes_.Erase(entry->key);
}

Status SandboxFileSystem::DeleteFile(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  if (entry->is_folder()) return Failure(error::kAccessDenied, path, u"a folder, not a file");
  if (IsReadOnly(*entry)) return Failure(error::kAccessDenied, path, u"the file is read-only");
  if (::unlink(entry->mapped.host.c_str()) != 0) return HostFailure(errno, path);
  return attributes_.Erase(entry->key);
}

Result<std::string> SandboxFileSystem::ReadFile(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  if (entry->is_folder()) return Failure(error::kAccessDenied, path, u"a folder, not a file");
  return ReadHostFile(entry->mapped.host);
}

Result<SandboxFileSystem::Entry> SandboxFileSystem::LocateWritable(std::u16string_view path) {
  Result<Entry> entry = Locate(path);
  if (!entry.ok()) return entry.status();
  if (entry->is_folder()) return Failure(error::kAccessDenied, path, u"a folder, not a file");
  if (!entry->exists() && !entry->mapped.parent_exists) return NotFound(path, entry->mapped);
  if (entry->exists() && IsReadOnly(*entry)) {
    return Failure(error::kAccessDenied, path, u"the file is read-only");
  }
  return entry;
}

Status SandboxFileSystem::WriteFile(std::u16string_view path, std::string_view bytes) {
  Result<Entry> entry = LocateWritable(path);
  if (!entry.ok()) return entry.status();
  if (Status s = WriteHostFileAtomically(staging_, entry->mapped.host, bytes); !s) return s;
  NoteWritten(*entry);
  return Status::Ok();
}

Status SandboxFileSystem::AppendFile(std::u16string_view path, std::string_view bytes) {
  Result<Entry> entry = LocateWritable(path);
  if (!entry.ok()) return entry.status();
  if (Status s = AppendHostFile(entry->mapped.host, bytes); !s) return s;
  NoteWritten(*entry);
  return Status::Ok();
}

Result<uint64_t> SandboxFileSystem::FileSize(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  if (entry->is_folder()) return Failure(error::kAccessDenied, path, u"a folder, not a file");
  struct stat info {};
  if (::lstat(entry->mapped.host.c_str(), &info) != 0) return HostFailure(errno, path);
  return static_cast<uint64_t>(info.st_size);
}

std::u16string SandboxFileSystem::TempFolder() {
  return core::WithTrailingBackslash(
      profile_.Read([](const MachineProfile& p) { return StandardFoldersOf(p).temp; }));
}

Result<std::u16string> SandboxFileSystem::CreateTempFile(std::u16string_view folder,
                                                         std::u16string_view prefix) {
  Result<Entry> parent = Locate(folder);
  if (!parent.ok()) return parent.status();
  if (!parent->is_folder()) return Failure(error::kDirectory, folder, u"not an existing folder");
  const std::u16string stem(prefix.substr(0, 3));
  const uint32_t start = std::random_device{}();
  for (uint32_t i = 0; i < 0x10000; ++i) {
    const uint32_t number = (start + i) & 0xFFFF;
    if (number == 0) continue;
    WindowsPath candidate = parent->path;
    candidate.components.push_back(stem + HexText(number) + u".tmp");
    if (!IsValidEntryName(candidate.components.back())) {
      return Failure(error::kInvalidName, prefix, u"the prefix holds a character Windows forbids");
    }
    Result<Entry> entry = Locate(candidate);
    if (!entry.ok()) return entry.status();
    if (entry->exists()) continue;
    Status created = CreateHostFileExclusive(entry->mapped.host);
    if (created.code() == error::kFileExists) continue;
    if (!created) return created;
    NoteWritten(*entry);
    const bool separated = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
    return std::u16string(folder) + (separated ? u"" : u"\\") + candidate.components.back();
  }
  return Failure(error::kFileExists, folder, u"every temporary file name is taken");
}

Result<std::u16string> SandboxFileSystem::JoinNames(const Entry& entry, bool short_names) {
  std::u16string text = entry.path.long_prefix ? u"\\\\?\\" : u"";
  text += {entry.path.drive, u':', u'\\'};
  std::filesystem::path folder = mapper_.DriveFolder(entry.path.drive);
  for (size_t i = 0; i < entry.mapped.names.size(); ++i) {
    const std::u16string& name = entry.mapped.names[i];
    std::u16string shown = name;
    if (short_names && !IsValidShortName(name)) {
      const std::vector<std::u16string> siblings = ListFolderNames(folder);
      const std::vector<std::u16string> assigned = AssignShortNames(siblings);
      for (size_t k = 0; k < siblings.size(); ++k) {
        if (siblings[k] == name) shown = assigned[k];
      }
    }
    if (i > 0) text += u'\\';
    text += shown;
    folder /= core::Utf16ToUtf8(name);
  }
  if (entry.path.trailing_separator && !entry.path.is_root()) text += u'\\';
  return text;
}

Result<std::u16string> SandboxFileSystem::ShortPath(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  return JoinNames(*entry, true);
}

Result<std::u16string> SandboxFileSystem::LongPath(std::u16string_view path) {
  Result<Entry> entry = LocateExisting(path);
  if (!entry.ok()) return entry.status();
  return JoinNames(*entry, false);
}

uint32_t SandboxFileSystem::DriveType(std::u16string_view root) {
  const std::optional<char16_t> drive = RootDriveLetter(root);
  if (!drive) return drive_type::kNoRootFolder;
  const bool removable = profile_.Read(
      [&](const MachineProfile& p) { return ListsDrive(p.removable_drives, *drive); });
  if (removable) return drive_type::kRemovable;
  Result<EntryKind> kind = HostEntryKind(mapper_.DriveFolder(*drive));
  return kind.ok() && *kind == EntryKind::kFolder ? drive_type::kFixed : drive_type::kNoRootFolder;
}

}  // namespace velkor::platform::sandbox
