// System DLLs loaded by full path (never through the search order, so nothing planted
// beside the engine can be picked up), for functions that older Windows lacks.
#pragma once

#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {

// The exported function with the given type, or nullptr when it is missing.
template <typename Function>
Function FindExport(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through the generic function pointer type, which converts to any other without a
  // cast-function-type warning.
  auto generic = reinterpret_cast<void (*)()>(GetProcAddress(module, name));
  return reinterpret_cast<Function>(generic);
}

class SystemLibrary {
 public:
  // `file_name` is a DLL in the system folder, e.g. L"dwmapi.dll".
  explicit SystemLibrary(const wchar_t* file_name);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }

  // The exported function with the given type, or nullptr when the DLL or export is missing.
  template <typename Function>
  Function Find(const char* name) const {
    return FindExport<Function>(module_, name);
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace velkor::platform::win32
