// What the engine shows the user outside its dialogs. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velkor::platform {

// MessageBox flags and answers, as Windows numbers them.
namespace message_box {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kAbortRetryIgnore = 0x2;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kRetryCancel = 0x5;
inline constexpr uint32_t kIconError = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace message_box

// An opaque window handle (HWND on Windows); 0 is no owner.
using WindowHandle = uintptr_t;

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Shows a modal message box and returns the button pressed (message_box::kId*).
  virtual int ShowMessageBox(WindowHandle owner, std::u16string_view text,
                             std::u16string_view caption, uint32_t flags) = 0;

  // Processes the window messages waiting for the main thread; returns when none is left.
  virtual void PumpMessages() = 0;
  // Blocks until a message arrives or `timeout_ms` passes, then processes what arrived.
  virtual void WaitForMessage(uint32_t timeout_ms) = 0;
  // Any thread: ends a WaitForMessage of the main thread (a worker that finished).
  virtual void PostWakeUp() = 0;
  // What the user's request to cancel does (a Cancel button, closing the window); it
  // runs on the main thread while messages are processed.
  virtual void SetCancelHandler(std::function<void()> handler) = 0;
};

}  // namespace velkor::platform
