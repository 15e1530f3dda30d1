// Files and folders, addressed by Windows paths ("C:\dir\file", "\\?\C:\...", either slash).
// Every call may be made from any thread; a call that fails changes nothing it can undo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace velkor::platform {

// The Windows file attribute bits.
namespace attribute {
inline constexpr uint32_t kReadOnly = 0x1;
inline constexpr uint32_t kHidden = 0x2;
inline constexpr uint32_t kSystem = 0x4;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kTemporary = 0x100;
}  // namespace attribute

// GetDriveType's answers.
namespace drive_type {
inline constexpr uint32_t kUnknown = 0;
inline constexpr uint32_t kNoRootFolder = 1;
inline constexpr uint32_t kRemovable = 2;
inline constexpr uint32_t kFixed = 3;
inline constexpr uint32_t kRemote = 4;
inline constexpr uint32_t kCdRom = 5;
inline constexpr uint32_t kRamDisk = 6;
}  // namespace drive_type

struct FoundFile {
  std::u16string name;  // the long name, without folder
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t last_write_time = 0;  // FILETIME: 100 ns units since 1601-01-01 UTC
  bool is_folder() const { return (attributes & attribute::kDirectory) != 0; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True only for an existing file (not a folder), and only for an existing folder.
  virtual bool FileExists(std::u16string_view path) = 0;
  virtual bool FolderExists(std::u16string_view path) = 0;

  virtual Result<uint32_t> GetAttributes(std::u16string_view path) = 0;
  // kNormal alone clears every other attribute, as on Windows.
  virtual Status SetAttributes(std::u16string_view path, uint32_t attributes) = 0;

  // Creates the folder and any missing parents; an existing folder is success.
  virtual Status CreateFolder(std::u16string_view path) = 0;
  // Removes an empty folder.
  virtual Status RemoveFolder(std::u16string_view path) = 0;
  virtual Status DeleteFile(std::u16string_view path) = 0;
  // Fails with kFileExists when `fail_if_exists` and the target exists; a read-only
  // target fails with kAccessDenied.
  virtual Status CopyFile(std::u16string_view from, std::u16string_view to,
                          bool fail_if_exists) = 0;
  // Moves a file or folder; with `replace_existing` an existing target file is replaced.
  virtual Status MoveFile(std::u16string_view from, std::u16string_view to,
                          bool replace_existing) = 0;

  // FindFirstFile semantics: `pattern` is a folder and a last component that may hold
  // "*" and "?"; "." and ".." are never listed. A missing folder fails with kPathNotFound;
  // no match is success with an empty list.
  virtual Result<std::vector<FoundFile>> FindFiles(std::u16string_view pattern) = 0;

  virtual Result<std::string> ReadFile(std::u16string_view path) = 0;
  // Creates or truncates, then writes all bytes.
  virtual Status WriteFile(std::u16string_view path, std::string_view bytes) = 0;
  // Creates the file when missing and appends.
  virtual Status AppendFile(std::u16string_view path, std::string_view bytes) = 0;
  virtual Result<uint64_t> FileSize(std::u16string_view path) = 0;

  // The system temporary folder, with a trailing backslash.
  virtual std::u16string TempFolder() = 0;
  // GetTempFileName: creates a new empty file "<prefix up to 3 chars><hex>.tmp" in the
  // folder and returns its path.
  virtual Result<std::u16string> CreateTempFile(std::u16string_view folder,
                                                std::u16string_view prefix) = 0;

  // The 8.3 form and the long form of an existing path.
  virtual Result<std::u16string> ShortPath(std::u16string_view path) = 0;
  virtual Result<std::u16string> LongPath(std::u16string_view path) = 0;

  // WOW64 file-system redirection of the calling thread: switched off while `disabled`,
  // so a 32-bit process reaches the 64-bit system folder. Nothing outside WOW64.
  virtual void SetRedirectionDisabled(bool disabled) { (void)disabled; }

  // The kind of drive of a root folder ("C:\"), drive_type::k*.
  virtual uint32_t DriveType(std::u16string_view root) {
    (void)root;
    return drive_type::kFixed;
  }
};

}  // namespace velkor::platform
