#include "platform/sandbox/sandbox_process.h"

#include "platform/sandbox/command_line.h"

namespace velkor::platform::sandbox {

SandboxProcess::SandboxProcess(std::u16string engine_file,
                               const std::vector<std::u16string>& arguments)
    : engine_file_(std::move(engine_file)),
      command_line_(BuildCommandLine(engine_file_, arguments)) {}

std::vector<std::u16string> SandboxProcess::Arguments() {
  return SplitCommandLine(command_line_);
}

void SandboxProcess::Exit(uint32_t exit_code) {
  throw ProcessExit{exit_code};
}

}  // namespace velkor::platform::sandbox
