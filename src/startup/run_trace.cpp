#include "startup/run_trace.h"

#include "core/text.h"

namespace velkor::startup {

void RunTrace::WriteTrace(std::u16string_view line) {
  if (log_path_.empty()) return;
  std::u16string text(line);
  text += u"\r\n";
  const std::string bytes = core::ToUtf16LeBytes(text);
  if (written_) {
    (void)files_.AppendFile(log_path_, bytes);
  } else {
    written_ = true;
    (void)files_.WriteFile(log_path_, bytes);
  }
}

}  // namespace velkor::startup
