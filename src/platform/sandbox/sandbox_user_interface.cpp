#include "platform/sandbox/sandbox_user_interface.h"

#include <array>
#include <chrono>

namespace velkor::platform::sandbox {

int DefaultButton(uint32_t flags) {
  namespace mb = message_box;
  constexpr int kIdTryAgain = 10;
  constexpr int kIdContinue = 11;
  // The buttons of each MB_TYPEMASK value, left to right.
  static constexpr std::array<std::array<int, 3>, 7> kButtons = {{
      {mb::kIdOk, 0, 0},
      {mb::kIdOk, mb::kIdCancel, 0},
      {mb::kIdAbort, mb::kIdRetry, mb::kIdIgnore},
      {mb::kIdYes, mb::kIdNo, mb::kIdCancel},
      {mb::kIdYes, mb::kIdNo, 0},
      {mb::kIdRetry, mb::kIdCancel, 0},
      {mb::kIdCancel, kIdTryAgain, kIdContinue},
  }};
  const uint32_t type = flags & 0xF;
  if (type >= kButtons.size()) return mb::kIdOk;
  const uint32_t position = (flags >> 8) & 0xF;  // MB_DEFBUTTON1..3 are 0x000, 0x100, 0x200
  const int button = position < 3 ? kButtons[type][position] : 0;
  return button != 0 ? button : kButtons[type][0];
}

int SandboxUserInterface::ShowMessageBox(WindowHandle owner, std::u16string_view text,
                                         std::u16string_view caption, uint32_t flags) {
  std::lock_guard lock(mutex_);
  int answer = DefaultButton(flags);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  shown_.push_back({owner, std::u16string(text), std::u16string(caption), flags, answer});
  return answer;
}

void SandboxUserInterface::PumpMessages() {
  std::unique_lock lock(mutex_);
  wake_up_ = false;
  // The handler runs unlocked: it writes variables and may ask for a message box.
  while (pending_cancels_ > 0) {
    --pending_cancels_;
    const std::function<void()> handler = cancel_handler_;
    lock.unlock();
    if (handler) handler();
    lock.lock();
  }
}

void SandboxUserInterface::WaitForMessage(uint32_t timeout_ms) {
  {
    std::unique_lock lock(mutex_);
    message_arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                              [this] { return wake_up_ || pending_cancels_ > 0; });
  }
  PumpMessages();
}

void SandboxUserInterface::PostWakeUp() {
  std::lock_guard lock(mutex_);
  wake_up_ = true;
  message_arrived_.notify_all();
}

void SandboxUserInterface::SetCancelHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  cancel_handler_ = std::move(handler);
}

void SandboxUserInterface::RequestCancel() {
  std::lock_guard lock(mutex_);
  ++pending_cancels_;
  message_arrived_.notify_all();
}

void SandboxUserInterface::QueueAnswer(int button) {
  std::lock_guard lock(mutex_);
  answers_.push_back(button);
}

std::vector<MessageBoxRecord> SandboxUserInterface::MessageBoxes() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

void SandboxUserInterface::ClearMessageBoxes() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

}  // namespace velkor::platform::sandbox
