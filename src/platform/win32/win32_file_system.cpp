// Files and folders on the wide-character file API. Paths go to the API as given, so
// "\\?\" paths longer than MAX_PATH work wherever the API accepts them.
#include "platform/file_system.h"

#include <algorithm>
#include <cwchar>

#include "platform/win32/win32_error.h"
#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {
namespace {

// ReadFile and WriteFile move at most a DWORD per call; stay well below it.
constexpr DWORD kChunk = 1 << 20;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// The folder that holds `path` (trailing separators ignored); empty for a root.
std::u16string ParentFolder(std::u16string_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  const size_t last = path.find_last_of(u"\\/");
  if (last == std::u16string_view::npos || last == 0) return {};
  // "C:\" keeps its separator: "C:" alone means the drive's current folder.
  if (path[last - 1] == u':') return std::u16string(path.substr(0, last + 1));
  return std::u16string(path.substr(0, last));
}

uint64_t Combine(DWORD high, DWORD low) {
  return (uint64_t{high} << 32) | low;
}

FoundFile ToFoundFile(const WIN32_FIND_DATAW& data) {
  FoundFile file;
  file.name = FromApi(data.cFileName);
  file.attributes = data.dwFileAttributes;
  file.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
  file.last_write_time =
      Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  return file;
}

bool IsDotEntry(const wchar_t* name) {
  return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

Status WriteAll(HANDLE file, std::string_view bytes, std::u16string_view path) {
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), kChunk));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), want, &written, nullptr)) {
      return LastErrorStatus(u"write file", path);
    }
    bytes.remove_prefix(written);
  }
  return Status::Ok();
}

Result<std::string> ReadAll(HANDLE file, std::u16string_view path) {
  std::string bytes;
  char chunk[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) {
      return LastErrorStatus(u"read file", path);
    }
    if (read == 0) return bytes;
    bytes.append(chunk, read);
  }
}

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(std::u16string_view path) override {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool FolderExists(std::u16string_view path) override {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  Result<uint32_t> GetAttributes(std::u16string_view path) override {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrorStatus(u"read attributes", path);
    return uint32_t{attributes};
  }

  Status SetAttributes(std::u16string_view path, uint32_t attributes) override {
    if (SetFileAttributesW(Wide(path).c_str(), attributes)) return Status::Ok();
    return LastErrorStatus(u"set attributes", path);
  }

  Status CreateFolder(std::u16string_view path) override {
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return Status::Ok();
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && FolderExists(path)) return Status::Ok();
    if (error != ERROR_PATH_NOT_FOUND) return ErrorStatus(error, u"create folder", path);
    // A parent is missing: create the chain from the top down, then this one.
    const std::u16string parent = ParentFolder(path);
    if (parent.empty()) return ErrorStatus(error, u"create folder", path);
    if (Status made = CreateFolder(parent); !made) return made;
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return Status::Ok();
    if (GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(path)) return Status::Ok();
    return LastErrorStatus(u"create folder", path);
  }

  Status RemoveFolder(std::u16string_view path) override {
    if (RemoveDirectoryW(Wide(path).c_str())) return Status::Ok();
    return LastErrorStatus(u"remove folder", path);
  }

  Status DeleteFile(std::u16string_view path) override {
    if (DeleteFileW(Wide(path).c_str())) return Status::Ok();
    return LastErrorStatus(u"delete file", path);
  }

  Status CopyFile(std::u16string_view from, std::u16string_view to, bool fail_if_exists) override {
    if (CopyFileW(Wide(from).c_str(), Wide(to).c_str(), fail_if_exists)) return Status::Ok();
    return LastErrorStatus(u"copy file to \"" + std::u16string(to) + u"\" from", from);
  }

  Status MoveFile(std::u16string_view from, std::u16string_view to,
                  bool replace_existing) override {
    DWORD flags = MOVEFILE_COPY_ALLOWED;
    if (replace_existing) flags |= MOVEFILE_REPLACE_EXISTING;
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags)) return Status::Ok();
    return LastErrorStatus(u"move to \"" + std::u16string(to) + u"\" from", from);
  }

  Result<std::vector<FoundFile>> FindFiles(std::u16string_view pattern) override {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Wide(pattern).c_str(), &data));
    std::vector<FoundFile> found;
    if (find.get() == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // No match in an existing folder is an empty list, not a failure.
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return found;
      return ErrorStatus(error, u"find files", pattern);
    }
    do {
      if (!IsDotEntry(data.cFileName)) found.push_back(ToFoundFile(data));
    } while (FindNextFileW(find.get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return LastErrorStatus(u"find files", pattern);
    return found;
  }

  Result<std::string> ReadFile(std::u16string_view path) override {
    // Others may keep writing (a log): share reading and writing.
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return LastErrorStatus(u"open file", path);
    return ReadAll(file.get(), path);
  }

  Status WriteFile(std::u16string_view path, std::string_view bytes) override {
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return LastErrorStatus(u"create file", path);
    return WriteAll(file.get(), bytes, path);
  }

  Status AppendFile(std::u16string_view path, std::string_view bytes) override {
    // Append-only access puts every write at the end of the file.
    FileHandle file(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return LastErrorStatus(u"open file", path);
    return WriteAll(file.get(), bytes, path);
  }

  Result<uint64_t> FileSize(std::u16string_view path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
      return LastErrorStatus(u"read size", path);
    }
    // A folder has no size; opening it as a file is what Windows refuses.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      return ErrorStatus(ERROR_ACCESS_DENIED, u"read size", path);
    }
    return Combine(data.nFileSizeHigh, data.nFileSizeLow);
  }

  std::u16string TempFolder() override {
    auto folder =
        ReadGrowingText([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    return folder.value_or(std::u16string());
  }

  Result<std::u16string> CreateTempFile(std::u16string_view folder,
                                        std::u16string_view prefix) override {
    wchar_t path[MAX_PATH + 1] = {};
    if (GetTempFileNameW(Wide(folder).c_str(), Wide(prefix).c_str(), 0, path) == 0) {
      return LastErrorStatus(u"create temporary file in", folder);
    }
    return FromApi(path);
  }

  Result<std::u16string> ShortPath(std::u16string_view path) override {
    const std::wstring wide = Wide(path);
    auto result = ReadGrowingText([&wide](wchar_t* buffer, DWORD size) {
      return GetShortPathNameW(wide.c_str(), buffer, size);
    });
    if (!result) return LastErrorStatus(u"read short path", path);
    return *result;
  }

  Result<std::u16string> LongPath(std::u16string_view path) override {
    const std::wstring wide = Wide(path);
    auto result = ReadGrowingText([&wide](wchar_t* buffer, DWORD size) {
      return GetLongPathNameW(wide.c_str(), buffer, size);
    });
    if (!result) return LastErrorStatus(u"read long path", path);
    return *result;
  }

  uint32_t DriveType(std::u16string_view root) override {
    return GetDriveTypeW(Wide(root).c_str());
  }

  // The functions exist only where WOW64 does: looked up, never linked.
  void SetRedirectionDisabled(bool disabled) override {
    using Disable = BOOL(WINAPI*)(PVOID*);
    using Revert = BOOL(WINAPI*)(PVOID);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return;
    if (disabled) {
      const auto disable = reinterpret_cast<Disable>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
      if (disable != nullptr) disable(&redirection_state_);
    } else {
      const auto revert = reinterpret_cast<Revert>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
      if (revert != nullptr) revert(redirection_state_);
    }
  }

 private:
  // One engine thread (the main one) switches redirection; the state it saved.
  PVOID redirection_state_ = nullptr;
};

}  // namespace

std::unique_ptr<FileSystem> CreateWin32FileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace velkor::platform::win32
