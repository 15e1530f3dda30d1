#include "platform/win32/system_library.h"

#include <string>

namespace velkor::platform::win32 {
namespace {

std::wstring SystemFolderFile(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\') path.push_back(L'\\');
  return path + file_name;
}

}  // namespace

SystemLibrary::SystemLibrary(const wchar_t* file_name) {
  const std::wstring path = SystemFolderFile(file_name);
  // The altered search path makes the DLL's own imports resolve from the system folder too.
  if (!path.empty()) module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace velkor::platform::win32
