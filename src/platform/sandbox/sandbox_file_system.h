// The sandbox's FileSystem: Windows paths mapped into the machine folder (path_mapper.h),
// Windows error codes, attributes kept in the side store (attribute_store.h):
//  - a file without a record reads kArchive, a folder kDirectory alone; SetAttributes
//    stores what it is given, and kNormal alone stores "no attributes";
//  - writing to a file sets kArchive, as the file system does on Windows;
//  - read-only files refuse writes, deletion and being copied or moved over
//    (kAccessDenied); read-only folders refuse removal.
// WriteFile and CopyFile write through a staging file renamed into place, so a crash
// leaves the old or the new content. Short names follow short_names.h; FindFiles also
// finds an entry by its short name when the pattern has no wildcard. Any thread may
// call; the mapper, store and profile must outlive the object.
#pragma once

#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "platform/sandbox/attribute_store.h"
#include "platform/sandbox/machine_profile.h"
#include "platform/sandbox/path_mapper.h"

namespace velkor::platform::sandbox {

class SandboxFileSystem : public FileSystem {
 public:
  // `staging` is a host folder outside the drives, on the same file system.
  SandboxFileSystem(const PathMapper& mapper, AttributeStore& attributes,
                    const LiveProfile& profile, std::filesystem::path staging);

  bool FileExists(std::u16string_view path) override;
  bool FolderExists(std::u16string_view path) override;
  Result<uint32_t> GetAttributes(std::u16string_view path) override;
  Status SetAttributes(std::u16string_view path, uint32_t attributes) override;
  Status CreateFolder(std::u16string_view path) override;
  Status RemoveFolder(std::u16string_view path) override;
  Status DeleteFile(std::u16string_view path) override;
  Status CopyFile(std::u16string_view from, std::u16string_view to, bool fail_if_exists) override;
  Status MoveFile(std::u16string_view from, std::u16string_view to, bool replace_existing) override;
  Result<std::vector<FoundFile>> FindFiles(std::u16string_view pattern) override;
  Result<std::string> ReadFile(std::u16string_view path) override;
  Status WriteFile(std::u16string_view path, std::string_view bytes) override;
  Status AppendFile(std::u16string_view path, std::string_view bytes) override;
  Result<uint64_t> FileSize(std::u16string_view path) override;
  std::u16string TempFolder() override;
  Result<std::u16string> CreateTempFile(std::u16string_view folder,
                                        std::u16string_view prefix) override;
  Result<std::u16string> ShortPath(std::u16string_view path) override;
  Result<std::u16string> LongPath(std::u16string_view path) override;
  // SetRedirectionDisabled keeps the interface's no-op: the sandbox's engine is not a
  // WOW64 process whose paths redirect.
  // A drive the profile lists as removable answers kRemovable even without its folder
  // (a reader without its medium); another drive is fixed while its folder exists. Any
  // path but a root ("X:\" or "X:") answers kNoRootFolder, as on Windows.
  uint32_t DriveType(std::u16string_view root) override;

 private:
  // A parsed, mapped path and its key in the attribute store.
  struct Entry {
    WindowsPath path;
    MappedPath mapped;
    std::string key;
    bool exists() const { return mapped.exists(); }
    bool is_file() const { return mapped.kind == EntryKind::kFile; }
    bool is_folder() const { return mapped.kind == EntryKind::kFolder; }
  };

  Result<Entry> Locate(std::u16string_view path);
  Result<Entry> Locate(const WindowsPath& path);
  // An entry that exists (NotFound otherwise).
  Result<Entry> LocateExisting(std::u16string_view path);
  uint32_t AttributesOf(const Entry& entry);
  bool IsReadOnly(const Entry& entry) { return (AttributesOf(entry) & attribute::kReadOnly) != 0; }
  // The entry a write may create or replace: not a folder, in an existing folder, not
  // read-only.
  Result<Entry> LocateWritable(std::u16string_view path);
  // Keeps the attribute store in step after a write to the entry.
  void NoteWritten(const Entry& entry);
  Status MoveEntry(const Entry& from, const Entry& to);
  Result<std::u16string> JoinNames(const Entry& entry, bool short_names);

  const PathMapper& mapper_;
  AttributeStore& attributes_;
  const LiveProfile& profile_;
  std::filesystem::path staging_;
};

}  // namespace velkor::platform::sandbox
