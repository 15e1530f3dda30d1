// The sandbox's Process: the engine file and arguments the simulator was started with.
// Exit cannot end the host process (the simulator reports what the run changed after
// it), so it throws ProcessExit, which the simulator's entry catches. Any thread may
// call the queries; Exit unwinds the calling thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"

namespace velkor::platform::sandbox {

// Thrown by SandboxProcess::Exit; carries the exit code to the simulator's entry.
struct ProcessExit {
  uint32_t code = 0;
};

class SandboxProcess : public Process {
 public:
  // The raw command line is the quoted engine path followed by the quoted arguments.
  SandboxProcess(std::u16string engine_file, const std::vector<std::u16string>& arguments);

  std::u16string EngineFilePath() override { return engine_file_; }
  std::u16string CommandLine() override { return command_line_; }
  std::vector<std::u16string> Arguments() override;
  [[noreturn]] void Exit(uint32_t exit_code) override;

 private:
  const std::u16string engine_file_;
  const std::u16string command_line_;
};

}  // namespace velkor::platform::sandbox
