// One simulated setup start: prepare the machine, copy the setup in, run the engine,
// compare the machine before and after.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "machine_snapshot.h"
#include "platform/status.h"

namespace velkor::sim {

struct SimulatorRun {
  std::filesystem::path setup_file;       // the host path of setup.exe
  std::vector<std::u16string> arguments;  // the setup's command-line arguments
  std::filesystem::path machine_folder;   // empty: the default machine
  bool fresh_machine = false;             // start from a new default machine
  char drive_letter = 'S';                // where the setup's folder appears
};

struct SimulatorOutcome {
  uint32_t exit_code = 0;
  ChangeReport changes;
};

platform::Result<SimulatorOutcome> RunSetup(const SimulatorRun& run);

}  // namespace velkor::sim
