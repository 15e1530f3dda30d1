// The running engine process: its own file, its command line, and its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::platform {

class Process {
 public:
  virtual ~Process() = default;

  // Full Windows path of the engine file (argument 0 as the system resolves it).
  virtual std::u16string EngineFilePath() = 0;
  // The raw command line as the system hands it over (GetCommandLineW).
  virtual std::u16string CommandLine() = 0;
  // The command line split into arguments by the system's rules; argument 0 is the program.
  virtual std::vector<std::u16string> Arguments() = 0;
  // Ends the process at once with the exit code, without running destructors.
  [[noreturn]] virtual void Exit(uint32_t exit_code) = 0;
};

}  // namespace velkor::platform
