// The process environment on the wide-character environment calls.
#include "platform/environment.h"

#include <cwchar>
#include <vector>

#include "platform/win32/win32_error.h"
#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {
namespace {

class Win32Environment final : public Environment {
 public:
  std::optional<std::u16string> Get(std::u16string_view name) override {
    const std::wstring wide = Wide(name);
    // An empty value reads as length 0 without an error; a missing one sets the error.
    return ReadGrowingText([&wide](wchar_t* buffer, DWORD size) {
      return GetEnvironmentVariableW(wide.c_str(), buffer, size);
    });
  }

  Status Set(std::u16string_view name, std::u16string_view value) override {
    if (SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str())) return Status::Ok();
    return LastErrorStatus(u"set environment variable", name);
  }

  Status Remove(std::u16string_view name) override {
    if (SetEnvironmentVariableW(Wide(name).c_str(), nullptr)) return Status::Ok();
    return LastErrorStatus(u"remove environment variable", name);
  }

  std::u16string Expand(std::u16string_view text) override {
    const std::wstring wide = Wide(text);
    // ExpandEnvironmentStrings counts the NUL both in what it needs and in what it wrote.
    auto expanded = ReadGrowingText([&wide](wchar_t* buffer, DWORD size) {
      const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), buffer, size);
      return needed <= size && needed > 0 ? needed - 1 : needed;
    });
    // The call refuses texts beyond its limit; such a text stays as written.
    return expanded.value_or(std::u16string(text));
  }

  std::vector<std::u16string> Strings() override {
    std::vector<std::u16string> strings;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return strings;
    // The block is a list of NUL-terminated entries ended by an empty one.
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      strings.push_back(FromApi(entry));
    }
    FreeEnvironmentStringsW(block);
    return strings;
  }
};

}  // namespace

std::unique_ptr<Environment> CreateWin32Environment() {
  return std::make_unique<Win32Environment>();
}

}  // namespace velkor::platform::win32
