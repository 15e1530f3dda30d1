#include "platform/win32/win32_error.h"

#include <string>

#include "core/text.h"

namespace velkor::platform::win32 {
namespace {

// FormatMessage's text for the code in the user's language, without the line break it
// ends with.
std::u16string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length =
      FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (length != 0 && text != nullptr) message = core::FromWide(std::wstring_view(text, length));
  if (text != nullptr) LocalFree(text);
  while (!message.empty() &&
         (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
    message.pop_back();
  }
  if (message.empty()) message = core::U16("error " + std::to_string(code));
  return message;
}

}  // namespace

Status ErrorStatus(DWORD code, std::u16string_view action, std::u16string_view subject) {
  std::u16string message(action);
  if (!subject.empty()) message += u" \"" + std::u16string(subject) + u"\"";
  message += u": " + SystemMessage(code);
  return Status::Failure(code, std::move(message));
}

Status LastErrorStatus(std::u16string_view action, std::u16string_view subject) {
  return ErrorStatus(GetLastError(), action, subject);
}

Status RegistryStatus(LSTATUS code, std::u16string_view action, std::u16string_view subject) {
  if (code == ERROR_SUCCESS) return Status::Ok();
  return ErrorStatus(static_cast<DWORD>(code), action, subject);
}

}  // namespace velkor::platform::win32
