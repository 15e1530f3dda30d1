// The dialogs the interpreter shows through "Display Dialog" and "Hide Dialog". The
// silent host answers every showing with "next" at once: that is what a silent run
// does, and it stands in for the dialog hosts until they exist.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace velkor::interpreter {

// Result codes of a shown dialog.
namespace dialog_result {
inline constexpr int32_t kNotModal = 0;
inline constexpr int32_t kCancel = 2;
inline constexpr int32_t kNext = 6;
inline constexpr int32_t kBack = 7;
inline constexpr int32_t kOwnResult = 12;  // closed by a control; see ShowResult::text
}  // namespace dialog_result

struct ShowResult {
  int32_t code = dialog_result::kNext;
  // Modal with kOwnResult: the name of the control that closed the dialog.
  std::u16string text;
  // Not modal: the dialog's window.
  platform::WindowHandle window = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // `key` is the statement index of the "Display Dialog" in decimal.
  virtual void PrepareDialog(std::u16string_view key, std::u16string_view dialog_name) = 0;
  virtual ShowResult ShowDialog(std::u16string_view key, bool modal) = 0;
  virtual void HideDialog(std::u16string_view key) = 0;
  virtual void UnbindDialog(std::u16string_view key) = 0;
  // Frees every dialog host (the exit step).
  virtual void FreeDialogs() = 0;
  // Shows the text and the position (0..100) on the progress display of the current
  // dialog; nothing without one.
  virtual void ShowProgress(std::u16string_view text, int64_t position) {
    (void)text;
    (void)position;
  }
};

class SilentDialogHost : public DialogHost {
 public:
  void PrepareDialog(std::u16string_view, std::u16string_view) override {}
  ShowResult ShowDialog(std::u16string_view, bool) override { return {}; }
  void HideDialog(std::u16string_view) override {}
  void UnbindDialog(std::u16string_view) override {}
  void FreeDialogs() override {}
};

}  // namespace velkor::interpreter
