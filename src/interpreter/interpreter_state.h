// The state of one interpreter run: the statement cursor's companions that the command
// families read and change. Owned by the Interpreter, main thread only, one run long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace velkor::interpreter {

// The conditional-block state; a pending skip is carried out before the next fetch.
struct BlockState {
  bool skip_to_next_branch = false;
  bool skip_to_end = false;
  // The skip stopped at an "Else If", fetched next: it is tested like an "If" instead of
  // ending the block.
  bool landed_on_else_if = false;
  bool wizard_navigation = false;
};

// Loop kinds as the loop stack names them.
inline constexpr std::u16string_view kLoopWhile = u"While";
inline constexpr std::u16string_view kLoopRepeat = u"Repeat";
inline constexpr std::u16string_view kLoopForEach = u"For Each";

struct ForEachEntry {
  std::u16string variable;
  // The list text still to walk begins at `walked`: a pass moves the offset instead of
  // copying the rest of a long list.
  std::u16string remaining;
  std::u16string separator;
  size_t walked = 0;
};

struct LoopState {
  std::vector<std::u16string> stack;   // innermost last
  std::vector<ForEachEntry> for_each;  // innermost last
};

struct WizardState {
  int direction = 0;                 // +1 next, -1 back, 0 leave
  std::u16string last_shown_dialog;  // dialog key: statement index in decimal
  std::u16string dialog_to_unbind;   // a modal dialog still bound, or empty
  platform::WindowHandle current_window = 0;
};

// What an included script saves of its includer and gets back when it returns.
struct SavedScope {
  LoopState loops;
  BlockState block;
};

struct IncludeState {
  int32_t previous_depth = 0;
  std::vector<SavedScope> stack;
};

// What the main loop last showed on the progress display.
struct ProgressState {
  std::u16string text;
  int64_t position = 0;
  bool changed = true;  // the first statement always shows it
};

// The generator of "Mathematics" 13 to 15: 32-bit multiplier, increment and seed.
struct RandomGeneratorState {
  int32_t multiplier = 0;
  int32_t increment = 0;
  int32_t seed = 0;
};

// The one text file that "Read from Text File" reads line by line.
struct OpenTextFile {
  std::u16string path;  // empty: no file open
  std::vector<std::u16string> lines;
  size_t next_line = 0;
};

// Engine settings that commands change through variables and later commands read.
struct CommandSettings {
  int32_t download_timeout_seconds = 10;  // KEVO_TIMEOUT
};

}  // namespace velkor::interpreter
