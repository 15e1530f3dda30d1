// Text helpers shared by the win32 backend: wchar_t is UTF-16 on Windows, so engine text
// crosses the API unchanged.
#pragma once

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace velkor::platform::win32 {

// A NUL-terminated copy for the API.
inline std::wstring Wide(std::u16string_view text) {
  return core::ToWide(text);
}

inline std::u16string FromApi(const wchar_t* text) {
  return text == nullptr ? std::u16string() : core::FromWide(std::wstring_view(text));
}

// Runs an API that fills a buffer and returns the length it wrote, or, when the buffer
// is too small, the size it needs (or the truncated size). Zero with an error set is a
// failure (the error stays in GetLastError); zero without one is an empty text.
template <typename Call>
std::optional<std::u16string> ReadGrowingText(Call call) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  // A text can grow between calls (environment, working state): retry a few times.
  for (int attempt = 0; attempt < 12; ++attempt) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    SetLastError(ERROR_SUCCESS);
    const DWORD length = call(buffer.data(), size);
    if (length == 0 && GetLastError() != ERROR_SUCCESS) return std::nullopt;
    if (length < size) return core::FromWide(std::wstring_view(buffer.data(), length));
    buffer.resize(std::max<size_t>(size_t{length} + 1, buffer.size() * 2));
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return std::nullopt;
}

// Runs an API that takes the buffer size in and out (GetUserName, GetComputerName) and
// returns whether it succeeded; the text is read up to its NUL. Empty on failure.
template <typename Call>
std::u16string ReadInOutText(Call call) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (call(buffer.data(), &size)) return FromApi(buffer.c_str());
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_BUFFER_OVERFLOW &&
        error != ERROR_MORE_DATA) {
      break;
    }
    buffer.assign(std::max<size_t>(size_t{size} + 1, buffer.size() * 2), L'\0');
  }
  return {};
}

}  // namespace velkor::platform::win32
