// Message boxes through the system's own dialog.
#include "platform/user_interface.h"

#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {
namespace {

class Win32UserInterface final : public UserInterface {
 public:
  int ShowMessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                     uint32_t flags) override {
    return MessageBoxW(reinterpret_cast<HWND>(owner), Wide(text).c_str(), Wide(caption).c_str(),
                       flags);
  }
};

}  // namespace

std::unique_ptr<UserInterface> CreateWin32UserInterface() {
  return std::make_unique<Win32UserInterface>();
}

}  // namespace velkor::platform::win32
