// The sandbox backend: a virtual Windows machine kept in a folder of the host.
//
// Layout of a machine folder:
//   drive_c/, drive_d/, ...  the drives; Windows paths map here case-insensitively
//   registry.db              the registry (SQLite, so a crash never leaves it torn)
//   profile.ini              the OS profile: the facts tests set (NAME=VALUE lines)
// A missing machine folder is created with a default profile (Windows 10 x64, build
// 19045, administrator, elevated) and the folders and registry values a real Windows has.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velkor::platform::sandbox {

struct SandboxOptions {
  // Empty: $VELKOR_MACHINE when set, else ~/.velkor/machine.
  std::filesystem::path machine_folder;
  // Windows path of the engine file inside the machine.
  std::u16string engine_file = u"C:\\setup\\setup.exe";
  // Arguments after the program; the raw command line is built from them.
  std::vector<std::u16string> arguments;
};

// The default machine folder ($VELKOR_MACHINE, else ~/.velkor/machine).
std::filesystem::path DefaultMachineFolder();

class SandboxPlatform;

// Opens (creating when missing) the machine folder. Fails when the folder cannot be
// created or its registry cannot be opened.
Result<std::unique_ptr<SandboxPlatform>> OpenSandbox(const SandboxOptions& options);

}  // namespace velkor::platform::sandbox
