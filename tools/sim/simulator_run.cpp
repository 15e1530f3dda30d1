#include "simulator_run.h"

#include <memory>
#include <system_error>

#include "app/run_engine_sandbox.h"
#include "core/text.h"
#include "platform/sandbox/sandbox_platform.h"

namespace velkor::sim {
namespace {

namespace fs = std::filesystem;
using platform::Result;
using platform::Status;

Status Failure(const std::string& what, const std::error_code& ec = {}) {
  std::string text = what;
  if (ec) text += ": " + ec.message();
  return Status::Failure(platform::error::kInvalidParameter, core::Utf8ToUtf16(text));
}

// The setup's folder becomes a drive of its own: a fresh copy, so that nothing the
// setup does in its own folder reaches the host's original.
Status CopySetupFolder(const fs::path& setup_folder, const fs::path& drive_folder) {
  std::error_code ec;
  fs::remove_all(drive_folder, ec);
  if (ec) return Failure("cannot clear " + drive_folder.string(), ec);
  fs::create_directories(drive_folder, ec);
  if (!ec) fs::copy(setup_folder, drive_folder, fs::copy_options::recursive, ec);
  if (ec) return Failure("cannot copy " + setup_folder.string() + " into the machine", ec);
  return Status::Ok();
}

}  // namespace

Result<SimulatorOutcome> RunSetup(const SimulatorRun& run) {
  std::error_code ec;
  if (!fs::is_regular_file(run.setup_file, ec))
    return Failure("no such setup file: " + run.setup_file.string());
  const fs::path machine_folder =
      run.machine_folder.empty() ? platform::sandbox::DefaultMachineFolder() : run.machine_folder;
  if (run.fresh_machine) {
    fs::remove_all(machine_folder, ec);
    if (ec) return Failure("cannot remove " + machine_folder.string(), ec);
  }

  const std::string drive_name =
      std::string("drive_") + static_cast<char>(std::tolower(run.drive_letter));
  const std::u16string drive = std::u16string(1, static_cast<char16_t>(run.drive_letter)) + u":\\";
  platform::sandbox::SandboxOptions options;
  options.machine_folder = machine_folder;
  options.engine_file = drive + core::Utf8ToUtf16(run.setup_file.filename().string());
  options.arguments = run.arguments;

  // Opening first creates a missing machine, so the copy lands in a complete one.
  auto machine = platform::sandbox::OpenSandbox(options);
  if (!machine) return machine.status();
  Status copied =
      CopySetupFolder(fs::absolute(run.setup_file).parent_path(), machine_folder / drive_name);
  if (!copied) return copied;

  SimulatorOutcome outcome;
  const MachineSnapshot before = TakeSnapshot(**machine);
  outcome.exit_code = app::RunEngine(**machine).exit_code;
  outcome.changes = CompareSnapshots(before, TakeSnapshot(**machine));
  return outcome;
}

}  // namespace velkor::sim
