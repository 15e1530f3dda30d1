// The run trace: tag lines such as "<Velkor>" and "  </RunScript>" that record the
// start-up and run phases, appended to the file named by the log path. Main thread only.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace velkor::startup {

class RunTrace {
 public:
  explicit RunTrace(platform::FileSystem& files) : files_(files) {}

  // The "/l=" value at start-up; the interpreter keeps it equal to LOGGED. Changing the
  // path never truncates the new file.
  void SetLogPath(std::u16string log_path) { log_path_ = std::move(log_path); }
  const std::u16string& log_path() const { return log_path_; }

  // Appends the line and CR LF as UTF-16LE without a byte-order mark; does nothing while
  // the log path is empty. The first write of the process truncates the file first.
  // The file is opened and closed by every call, so a crash loses no trace line; a
  // failed write is ignored (the trace must never stop a setup).
  void WriteTrace(std::u16string_view line);

 private:
  platform::FileSystem& files_;
  std::u16string log_path_;
  bool written_ = false;
};

}  // namespace velkor::startup
