// The SandboxFileSystem calls that copy, move and list entries.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/sandbox/file_errors.h"
#include "platform/sandbox/host_files.h"
#include "platform/sandbox/sandbox_file_system.h"
#include "platform/sandbox/short_names.h"
#include "platform/sandbox/wildcard.h"

namespace velkor::platform::sandbox {
namespace {

bool IsBelow(const std::string& key, const std::string& folder_key) {
  return key.size() > folder_key.size() && key.compare(0, folder_key.size(), folder_key) == 0 &&
         key[folder_key.size()] == '/';
}

// The names in `names` that `pattern` selects; a plain name may also be a short name.
std::vector<std::u16string> Select(const std::vector<std::u16string>& names,
                                   std::u16string_view pattern) {
  std::vector<std::u16string> selected;
  for (const std::u16string& name : names) {
    if (MatchesWildcard(pattern, name)) selected.push_back(name);
  }
  if (!selected.empty() || HasWildcard(pattern) || !IsValidShortName(pattern)) return selected;
  const std::vector<std::u16string> short_names = AssignShortNames(names);
  for (size_t i = 0; i < names.size(); ++i) {
    if (core::EqualIgnoreCase(short_names[i], pattern)) selected.push_back(names[i]);
  }
  return selected;
}

}  // namespace

Status SandboxFileSystem::CopyFile(std::u16string_view from, std::u16string_view to,
                                   bool fail_if_exists) {
  Result<Entry> source = LocateExisting(from);
  if (!source.ok()) return source.status();
  if (source->is_folder()) return Failure(error::kAccessDenied, from, u"a folder, not a file");
  Result<Entry> target = Locate(to);
  if (!target.ok()) return target.status();
  if (target->is_folder()) return Failure(error::kAccessDenied, to, u"a folder, not a file");
  if (!target->exists() && !target->mapped.parent_exists) return NotFound(to, target->mapped);
  if (target->exists()) {
    if (target->key == source->key)
      return Failure(error::kSharingViolation, to, u"copy onto itself");
    if (fail_if_exists) return Failure(error::kFileExists, to, u"the file exists");
    if (IsReadOnly(*target)) return Failure(error::kAccessDenied, to, u"the file is read-only");
  }
  const std::optional<uint32_t> attributes = attributes_.Find(source->key);
  if (Status s = CopyHostFileAtomically(staging_, source->mapped.host, target->mapped.host); !s) {
    return s;
  }
  // The copy carries the source's attributes.
  return attributes ? attributes_.Put(target->key, *attributes) : attributes_.Erase(target->key);
}

Status SandboxFileSystem::MoveFile(std::u16string_view from, std::u16string_view to,
                                   bool replace_existing) {
  Result<Entry> source = LocateExisting(from);
  if (!source.ok()) return source.status();
  Result<Entry> target = Locate(to);
  if (!target.ok()) return target.status();
  if (source->path.is_root() || target->path.is_root()) {
    return Failure(error::kAccessDenied, to, u"a drive root cannot be moved or replaced");
  }
  if (target->key == source->key) {
    // The same entry: only a change of case is left to do.
    Entry renamed = *target;
    renamed.mapped.host.replace_filename(core::Utf16ToUtf8(target->path.components.back()));
    renamed.key = mapper_.KeyOf(renamed.mapped.host);
    return renamed.key == source->key ? Status::Ok() : MoveEntry(*source, renamed);
  }
  if (!target->exists() && !target->mapped.parent_exists) return NotFound(to, target->mapped);
  if (target->exists()) {
    if (!replace_existing) return Failure(error::kAlreadyExists, to, u"the target exists");
    if (target->is_folder() || source->is_folder()) {
      return Failure(error::kAccessDenied, to, u"a folder cannot replace or be replaced");
    }
    if (IsReadOnly(*target)) return Failure(error::kAccessDenied, to, u"the target is read-only");
  }
  if (source->is_folder() && IsBelow(target->key, source->key)) {
    return Failure(error::kSharingViolation, to, u"a folder cannot move into itself");
  }
  if (source->is_folder() && source->path.drive != target->path.drive) {
    return Failure(error::kNotSameDevice, to, u"folders cannot move to another drive");
  }
  return MoveEntry(*source, *target);
}

Status SandboxFileSystem::MoveEntry(const Entry& from, const Entry& to) {
  if (std::rename(from.mapped.host.c_str(), to.mapped.host.c_str()) != 0) {
    // Drives on different host file systems: files move by copy and delete.
    if (errno != EXDEV || !from.is_file()) return HostFailure(errno, from.path.Text());
    if (Status s = CopyHostFileAtomically(staging_, from.mapped.host, to.mapped.host); !s) return s;
    if (::unlink(from.mapped.host.c_str()) != 0) return HostFailure(errno, from.path.Text());
  }
  return attributes_.Move(from.key, to.key);
}

Result<std::vector<FoundFile>> SandboxFileSystem::FindFiles(std::u16string_view pattern) {
  Result<WindowsPath> path = ParseWindowsPath(pattern, LastComponent::kPattern);
  if (!path.ok()) return path.status();
  if (path->is_root() || path->trailing_separator) {
    return Failure(error::kFileNotFound, pattern, u"no name or pattern to look for");
  }
  Result<Entry> folder = Locate(path->Parent());
  if (!folder.ok()) return folder.status();
  if (!folder->is_folder())
    return Failure(error::kPathNotFound, pattern, u"the folder does not exist");
  std::vector<FoundFile> found;
  for (std::u16string& name :
       Select(ListFolderNames(folder->mapped.host), path->components.back())) {
    Entry entry = *folder;
    entry.mapped.host /= core::Utf16ToUtf8(name);
    entry.key = mapper_.KeyOf(entry.mapped.host);
    struct stat info {};
    // Links and special files are not part of the machine; entries may vanish meanwhile.
    if (::lstat(entry.mapped.host.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      entry.mapped.kind = EntryKind::kFolder;
    } else if (S_ISREG(info.st_mode)) {
      entry.mapped.kind = EntryKind::kFile;
    } else {
      continue;
    }
    FoundFile file;
    file.name = std::move(name);
    file.attributes = AttributesOf(entry);
    file.size = entry.is_file() ? static_cast<uint64_t>(info.st_size) : 0;
    file.last_write_time = FileTimeOf(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    found.push_back(std::move(file));
  }
  std::stable_sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
    return core::CompareIgnoreCase(a.name, b.name) < 0;
  });
  return found;
}

}  // namespace velkor::platform::sandbox
