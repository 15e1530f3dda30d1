#include "platform/sandbox/sandbox_platform.h"

#include <cstdlib>
#include <system_error>

#include "core/text.h"
#include "platform/sandbox/attribute_store.h"
#include "platform/sandbox/path_mapper.h"
#include "platform/sandbox/registry_defaults.h"
#include "platform/sandbox/sandbox_environment.h"
#include "platform/sandbox/sandbox_file_system.h"
#include "platform/sandbox/sandbox_registry.h"
#include "platform/sandbox/sandbox_system_info.h"
#include "platform/sandbox/standard_folders.h"

namespace velkor::platform::sandbox {

// Everything one open machine owns, in construction order.
class SandboxParts {
 public:
  SandboxParts(const std::filesystem::path& folder, MachineProfile initial,
               std::unique_ptr<AttributeStore> attribute_store,
               std::unique_ptr<SandboxRegistry> sandbox_registry, const SandboxOptions& options)
      : machine_folder(folder),
        profile(initial),
        mapper(folder),
        attributes(std::move(attribute_store)),
        registry(std::move(sandbox_registry)),
        files(mapper, *attributes, profile, folder / "staging"),
        environment(initial),
        process(options.engine_file, options.arguments) {}

  const std::filesystem::path machine_folder;
  LiveProfile profile;
  const PathMapper mapper;
  const std::unique_ptr<AttributeStore> attributes;
  const std::unique_ptr<SandboxRegistry> registry;
  SandboxFileSystem files;
  SandboxSystemInfo system{profile};
  SandboxEnvironment environment;
  SandboxProcess process;
  SandboxUserInterface ui;
};

namespace {

Status HostError(const std::error_code& error, const std::filesystem::path& path) {
  return Status::Failure(error::kAccessDenied,
                         core::Utf8ToUtf16(path.string() + ": " + error.message()));
}

// The machine folder, created when missing, as an absolute path without links.
Result<std::filesystem::path> PrepareMachineFolder(const SandboxOptions& options) {
  std::filesystem::path folder =
      options.machine_folder.empty() ? DefaultMachineFolder() : options.machine_folder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!error) std::filesystem::create_directories(folder / "staging", error);
  if (!error) folder = std::filesystem::canonical(folder, error);
  if (error) return HostError(error, folder);
  return folder;
}

Result<MachineProfile> LoadOrCreateProfile(const std::filesystem::path& folder,
                                           const SandboxOptions& options) {
  const std::filesystem::path file = folder / "profile.ini";
  Result<MachineProfile> loaded = LoadProfile(file);
  if (loaded.ok() || loaded.code() != error::kFileNotFound) return loaded;
  MachineProfile profile = options.initial_profile.value_or(MachineProfile{});
  if (Status s = SaveProfile(file, profile); !s) return s;
  return profile;
}

RegistryFacts RegistryFactsOf(const MachineProfile& profile) {
  RegistryFacts facts;
  facts.is_64bit_windows = profile.is_64bit_windows;
  facts.wow64_process = profile.RunsUnderWow64();
  facts.machine_writable = profile.HasAdministratorRights();
  return facts;
}

// The names Windows gives itself in the registry, by version.
std::u16string ProductNameOf(const MachineProfile& profile) {
  const uint32_t version = profile.version_major * 100 + profile.version_minor;
  const bool server = profile.product_type != 1;
  if (version >= 1000) return server ? u"Windows Server 2019 Standard" : u"Windows 10 Pro";
  if (version >= 603) return server ? u"Windows Server 2012 R2 Standard" : u"Windows 8.1 Pro";
  if (version >= 602) return server ? u"Windows Server 2012 Standard" : u"Windows 8 Pro";
  if (version >= 601)
    return server ? u"Windows Server 2008 R2 Standard" : u"Windows 7 Professional";
  if (version >= 600) return server ? u"Windows Server 2008 Standard" : u"Windows Vista Business";
  if (version >= 502) return u"Microsoft Windows Server 2003";
  return u"Microsoft Windows XP";
}

RegistryDefaults RegistryDefaultsOf(const MachineProfile& profile) {
  const StandardFolders folders = StandardFoldersOf(profile);
  RegistryDefaults defaults;
  defaults.major_version = profile.version_major;
  defaults.minor_version = profile.version_minor;
  defaults.build = profile.version_build;
  if (profile.version_major < 10) defaults.display_version.clear();
  defaults.service_pack = profile.service_pack;
  defaults.product_name = ProductNameOf(profile);
  if (profile.product_type != 1) {
    defaults.edition_id = u"ServerStandard";
    defaults.installation_type = u"Server";
  }
  defaults.user_name = profile.user_name;
  defaults.registered_owner = profile.registered_owner;
  defaults.registered_organization = profile.registered_organization;
  defaults.computer_name = profile.computer_name;
  defaults.processor_count = profile.processor_count;
  defaults.windows_folder = folders.windows;
  defaults.program_files = folders.program_files;
  defaults.program_files_x86 = folders.program_files_x86;
  defaults.program_data = folders.program_data;
  defaults.public_profile = folders.public_profile;
  defaults.user_profile = folders.profile;
  return defaults;
}

Status CreateStandardFolders(FileSystem& files, const MachineProfile& profile) {
  for (const std::u16string& folder : FoldersOfNewMachine(profile)) {
    if (Status s = files.CreateFolder(folder); !s) return s;
  }
  return Status::Ok();
}

}  // namespace

std::filesystem::path DefaultMachineFolder() {
  if (const char* chosen = std::getenv("VELKOR_MACHINE"); chosen != nullptr && *chosen != 0) {
    return chosen;
  }
  const char* home = std::getenv("HOME");
  const std::filesystem::path base = home != nullptr && *home != 0
                                         ? std::filesystem::path(home)
                                         : std::filesystem::temp_directory_path();
  return base / ".velkor" / "machine";
}

Result<std::unique_ptr<SandboxPlatform>> OpenSandbox(const SandboxOptions& options) {
  Result<std::filesystem::path> folder = PrepareMachineFolder(options);
  if (!folder.ok()) return folder.status();
  Result<MachineProfile> profile = LoadOrCreateProfile(*folder, options);
  if (!profile.ok()) return profile.status();
  std::error_code error;
  const bool is_new = !std::filesystem::exists(*folder / "drive_c", error);
  if (is_new) std::filesystem::create_directory(*folder / "drive_c", error);
  if (error) return HostError(error, *folder / "drive_c");

  Result<std::unique_ptr<AttributeStore>> attributes =
      AttributeStore::Open(*folder / "attributes.db");
  if (!attributes.ok()) return attributes.status();
  Result<std::unique_ptr<SandboxRegistry>> registry =
      SandboxRegistry::Open(*folder / "registry.db", RegistryFactsOf(*profile));
  if (!registry.ok()) return registry.status();
  // Seeds a new registry file; one that was seeded before is left as it is.
  if (Status s = SeedRegistryDefaults(**registry, RegistryDefaultsOf(*profile)); !s) return s;

  auto parts = std::make_unique<SandboxParts>(*folder, *profile, std::move(*attributes),
                                              std::move(*registry), options);
  if (is_new) {
    if (Status s = CreateStandardFolders(parts->files, *profile); !s) return s;
  }
  return std::unique_ptr<SandboxPlatform>(new SandboxPlatform(std::move(parts)));
}

SandboxPlatform::SandboxPlatform(std::unique_ptr<SandboxParts> parts) : parts_(std::move(parts)) {}
SandboxPlatform::~SandboxPlatform() = default;

FileSystem& SandboxPlatform::files() {
  return parts_->files;
}
Registry& SandboxPlatform::registry() {
  return *parts_->registry;
}
SystemInfo& SandboxPlatform::system() {
  return parts_->system;
}
Environment& SandboxPlatform::environment() {
  return parts_->environment;
}
Process& SandboxPlatform::process() {
  return parts_->process;
}
UserInterface& SandboxPlatform::ui() {
  return parts_->ui;
}
SandboxUserInterface& SandboxPlatform::message_boxes() {
  return parts_->ui;
}
SandboxRegistry& SandboxPlatform::sandbox_registry() {
  return *parts_->registry;
}

const std::filesystem::path& SandboxPlatform::machine_folder() const {
  return parts_->machine_folder;
}

Result<std::filesystem::path> SandboxPlatform::HostPath(std::u16string_view windows_path) const {
  Result<WindowsPath> path = ParseWindowsPath(windows_path);
  if (!path.ok()) return path.status();
  Result<MappedPath> mapped = parts_->mapper.Map(*path);
  if (!mapped.ok()) return mapped.status();
  return mapped->host;
}

MachineProfile SandboxPlatform::profile() const {
  return parts_->profile.Get();
}

Status SandboxPlatform::SetProfile(const MachineProfile& profile) {
  parts_->profile.Set(profile);
  return SaveProfile(parts_->machine_folder / "profile.ini", profile);
}

}  // namespace velkor::platform::sandbox
