// The registry on the wide-character registry API. Every call opens the key it needs
// with the view flag of the requested view and closes it before returning.
#include "platform/registry.h"

#include "platform/win32/win32_error.h"
#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {
namespace {

// Documented limits of names, in characters, without the NUL.
constexpr DWORD kMaxKeyName = 255;
constexpr DWORD kMaxValueName = 16383;

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;

  HKEY get() const { return key_; }
  HKEY* out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kUsers:
      return HKEY_USERS;
    case RegistryRoot::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegistryView view) {
  switch (view) {
    case RegistryView::kView32:
      return KEY_WOW64_32KEY;
    case RegistryView::kView64:
      return KEY_WOW64_64KEY;
    case RegistryView::kDefault:
      break;
  }
  return 0;
}

LSTATUS OpenKey(RegistryRoot root, std::u16string_view key, RegistryView view, REGSAM access,
                KeyHandle& handle) {
  return RegOpenKeyExW(RootKey(root), Wide(key).c_str(), 0, access | ViewFlag(view), handle.out());
}

// An empty path names the root itself; deleting it would empty a whole hive. The API
// reads a path only up to its first NUL, so only that part counts.
bool NamesRoot(std::u16string_view key) {
  key = key.substr(0, key.find(char16_t(0)));
  return key.find_first_not_of(u"\\") == std::u16string_view::npos;
}

Result<RegistryValue> QueryValue(HKEY key, std::u16string_view name) {
  const std::wstring wide_name = Wide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, nullptr, &size);
  std::string data;
  // The value may grow between the size query and the read.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    data.resize(size);
    status = RegQueryValueExW(key, wide_name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      return RegistryValue{static_cast<RegistryType>(type), std::move(data)};
    }
  }
  return RegistryStatus(status, u"read registry value", name);
}

template <typename Enumerate>
Result<std::vector<std::u16string>> EnumerateNames(DWORD max_name, Enumerate enumerate,
                                                   std::u16string_view key) {
  std::vector<std::u16string> names;
  std::wstring buffer(max_name + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS status = enumerate(index, buffer.data(), &length);
    if (status == ERROR_NO_MORE_ITEMS) return names;
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"enumerate registry key", key);
    names.push_back(core::FromWide(std::wstring_view(buffer.data(), length)));
  }
}

class Win32Registry final : public Registry {
 public:
  Status CreateKey(RegistryRoot root, std::u16string_view key, RegistryView view) override {
    KeyHandle handle;
    const LSTATUS status =
        RegCreateKeyExW(RootKey(root), Wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | ViewFlag(view), nullptr, handle.out(), nullptr);
    return RegistryStatus(status, u"create registry key", key);
  }

  bool KeyExists(RegistryRoot root, std::u16string_view key, RegistryView view) override {
    KeyHandle handle;
    const LSTATUS status = OpenKey(root, key, view, KEY_QUERY_VALUE, handle);
    // A key we may not read still exists.
    return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
  }

  Status DeleteKey(RegistryRoot root, std::u16string_view key, RegistryView view) override {
    if (NamesRoot(key)) return ErrorStatus(ERROR_INVALID_PARAMETER, u"delete registry key", key);
    KeyHandle handle;
    const REGSAM access = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE;
    LSTATUS status = OpenKey(root, key, view, access, handle);
    // The subkeys are found through the handle, so they are those of the requested view.
    if (status == ERROR_SUCCESS) status = RegDeleteTreeW(handle.get(), nullptr);
    if (status == ERROR_SUCCESS) {
      status = RegDeleteKeyExW(RootKey(root), Wide(key).c_str(), ViewFlag(view), 0);
    }
    return RegistryStatus(status, u"delete registry key", key);
  }

  Result<RegistryValue> ReadValue(RegistryRoot root, std::u16string_view key,
                                  std::u16string_view name, RegistryView view) override {
    KeyHandle handle;
    const LSTATUS status = OpenKey(root, key, view, KEY_QUERY_VALUE, handle);
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"open registry key", key);
    return QueryValue(handle.get(), name);
  }

  Status WriteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                    const RegistryValue& value, RegistryView view) override {
    KeyHandle handle;
    LSTATUS status = OpenKey(root, key, view, KEY_SET_VALUE, handle);
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"open registry key", key);
    status = RegSetValueExW(handle.get(), Wide(name).c_str(), 0, static_cast<DWORD>(value.type),
                            reinterpret_cast<const BYTE*>(value.data.data()),
                            static_cast<DWORD>(value.data.size()));
    return RegistryStatus(status, u"write registry value", name);
  }

  Status DeleteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                     RegistryView view) override {
    KeyHandle handle;
    LSTATUS status = OpenKey(root, key, view, KEY_SET_VALUE, handle);
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"open registry key", key);
    status = RegDeleteValueW(handle.get(), Wide(name).c_str());
    return RegistryStatus(status, u"delete registry value", name);
  }

  Result<std::vector<std::u16string>> EnumerateKeys(RegistryRoot root, std::u16string_view key,
                                                    RegistryView view) override {
    KeyHandle handle;
    const LSTATUS status = OpenKey(root, key, view, KEY_ENUMERATE_SUB_KEYS, handle);
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"open registry key", key);
    auto enumerate = [&handle](DWORD index, wchar_t* name, DWORD* length) {
      return RegEnumKeyExW(handle.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    };
    return EnumerateNames(kMaxKeyName, enumerate, key);
  }

  Result<std::vector<std::u16string>> EnumerateValues(RegistryRoot root, std::u16string_view key,
                                                      RegistryView view) override {
    KeyHandle handle;
    const LSTATUS status = OpenKey(root, key, view, KEY_QUERY_VALUE, handle);
    if (status != ERROR_SUCCESS) return RegistryStatus(status, u"open registry key", key);
    auto enumerate = [&handle](DWORD index, wchar_t* name, DWORD* length) {
      return RegEnumValueW(handle.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    };
    return EnumerateNames(kMaxValueName, enumerate, key);
  }
};

}  // namespace

std::unique_ptr<Registry> CreateWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace velkor::platform::win32
