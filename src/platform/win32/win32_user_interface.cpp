// Message boxes through the system's own dialog.
#include "platform/user_interface.h"

#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor::platform::win32 {
namespace {

class Win32UserInterface final : public UserInterface {
 public:
  // Created on the main thread: its message queue is the one pumped and woken.
  Win32UserInterface() : main_thread_(GetCurrentThreadId()) {}

  int ShowMessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                     uint32_t flags) override {
    return MessageBoxW(reinterpret_cast<HWND>(owner), Wide(text).c_str(), Wide(caption).c_str(),
                       flags);
  }

  void PumpMessages() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Keep the quit request for the outer loop that owns it.
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  void WaitForMessage(uint32_t timeout_ms) override {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms, QS_ALLINPUT);
    PumpMessages();
  }

  void PostWakeUp() override { PostThreadMessageW(main_thread_, WM_NULL, 0, 0); }

  // The dialog windows call it from their Cancel button.
  void SetCancelHandler(std::function<void()> handler) override {
    cancel_handler_ = std::move(handler);
  }

 private:
  DWORD main_thread_;
  std::function<void()> cancel_handler_;
};

}  // namespace

std::unique_ptr<UserInterface> CreateWin32UserInterface() {
  return std::make_unique<Win32UserInterface>();
}

}  // namespace velkor::platform::win32
