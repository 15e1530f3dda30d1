// The sandbox's UserInterface: nothing is shown. Every message box is recorded for
// tests and the simulator to read, and answered from a queue of scripted answers, or
// else with its default button (the first one unless MB_DEFBUTTON2/3 pick another).
// Any thread may call (installer handlers ask from their own thread).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace velkor::platform::sandbox {

struct MessageBoxRecord {
  WindowHandle owner = 0;
  std::u16string text;
  std::u16string caption;
  uint32_t flags = 0;
  int answer = 0;  // the button the box returned
};

// The button a box of these flags returns when nobody presses one.
int DefaultButton(uint32_t flags);

class SandboxUserInterface : public UserInterface {
 public:
  int ShowMessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                     uint32_t flags) override;

  // The next box returns `button` (message_box::kId*), whatever its buttons are.
  void PumpMessages() override;
  void WaitForMessage(uint32_t timeout_ms) override;
  void PostWakeUp() override;
  void SetCancelHandler(std::function<void()> handler) override;

  // Any thread: the user asks to cancel, as the Cancel button would; the request is
  // delivered to the cancel handler by the main thread's next message processing.
  void RequestCancel();

  void QueueAnswer(int button);
  std::vector<MessageBoxRecord> MessageBoxes() const;
  void ClearMessageBoxes();

 private:
  mutable std::mutex mutex_;
  std::condition_variable message_arrived_;
  std::deque<int> answers_;
  std::function<void()> cancel_handler_;
  int pending_cancels_ = 0;
  bool wake_up_ = false;
  std::vector<MessageBoxRecord> shown_;
};

}  // namespace velkor::platform::sandbox
