// The sandbox backend: a virtual Windows machine kept in a folder of the host.
//
// Layout of a machine folder:
//   drive_c/, drive_d/, ...  the drives; Windows paths map here case-insensitively
//                            (path_mapper.h); a drive exists when its folder does
//   registry.db              the registry (SQLite, so a crash never leaves it torn)
//   attributes.db            the Windows attributes of files and folders (attribute_store.h)
//   profile.ini              the OS profile: the facts tests set (machine_profile.h)
//   staging/                 files being written, renamed into the drives when complete
// A missing machine folder is created with a default profile (Windows 10 x64, build
// 19045, administrator, elevated) and the folders and registry values a real Windows has.
// Nothing the backend does reaches the host outside the machine folder.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sandbox/machine_profile.h"
#include "platform/sandbox/sandbox_process.h"  // ProcessExit, thrown by process().Exit
#include "platform/sandbox/sandbox_user_interface.h"

namespace velkor::platform::sandbox {

struct SandboxOptions {
  // Empty: $VELKOR_MACHINE when set, else ~/.velkor/machine.
  std::filesystem::path machine_folder;
  // Windows path of the engine file inside the machine.
  std::u16string engine_file = u"C:\\setup\\setup.exe";
  // Arguments after the program; the raw command line is built from them.
  std::vector<std::u16string> arguments;
  // The profile a machine without "profile.ini" starts with (the default when unset).
  std::optional<MachineProfile> initial_profile;
};

// The default machine folder ($VELKOR_MACHINE, else ~/.velkor/machine).
std::filesystem::path DefaultMachineFolder();

class SandboxRegistry;
class SandboxParts;

// One open machine. The services may be used from the threads their interfaces allow;
// the sandbox-only calls below from any thread.
class SandboxPlatform : public Platform {
 public:
  ~SandboxPlatform() override;

  FileSystem& files() override;
  Registry& registry() override;
  SystemInfo& system() override;
  Environment& environment() override;
  Process& process() override;
  UserInterface& ui() override;

  // The recorded message boxes and the queue of scripted answers.
  SandboxUserInterface& message_boxes();
  SandboxRegistry& sandbox_registry();

  const std::filesystem::path& machine_folder() const;
  // Where a Windows path of the machine lives on the host (existing components in their
  // case on disk); fails as the file system would for a path it refuses.
  Result<std::filesystem::path> HostPath(std::u16string_view windows_path) const;

  MachineProfile profile() const;
  // Changes the facts the services answer from now on and saves them to profile.ini.
  // Folders, registry and environment made from the old facts stay as they are.
  Status SetProfile(const MachineProfile& profile);

 private:
  friend Result<std::unique_ptr<SandboxPlatform>> OpenSandbox(const SandboxOptions& options);
  explicit SandboxPlatform(std::unique_ptr<SandboxParts> parts);

  std::unique_ptr<SandboxParts> parts_;
};

// Opens (creating when missing) the machine folder. Fails when the folder cannot be
// created, its profile cannot be read or its registry cannot be opened.
Result<std::unique_ptr<SandboxPlatform>> OpenSandbox(const SandboxOptions& options);

}  // namespace velkor::platform::sandbox
