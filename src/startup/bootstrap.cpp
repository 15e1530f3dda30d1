#include "startup/bootstrap.h"

#include <iterator>
#include <optional>
#include <vector>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/path_text.h"
#include "core/text.h"
#include "core/truth.h"
#include "startup/administrator_test.h"
#include "startup/installer_cache.h"

namespace velkor::startup {
namespace {

constexpr std::u16string_view kInstanceFile = u"instance.dat";
constexpr int32_t kCacheDataBuildMode = 2;

// Product code, revision code and title from "instance.dat". A line that is missing or
// empty keeps the built-in value: an empty product code would name no registration.
bool ReadInstanceFile(platform::FileSystem& files, std::u16string_view engine_folder,
                      InstallerIdentity& identity) {
  const std::u16string path = std::u16string(engine_folder) + std::u16string(kInstanceFile);
  if (!files.FileExists(path)) return false;
  auto bytes = files.ReadFile(path);
  if (!bytes.ok()) return true;
  const std::vector<std::u16string> lines = core::TextLines(core::DecodeTextFile(*bytes));
  std::u16string* const fields[] = {&identity.product_code, &identity.revision_code,
                                    &identity.title};
  for (size_t i = 0; i < std::size(fields) && i < lines.size(); ++i) {
    if (!lines[i].empty()) *fields[i] = lines[i];
  }
  return true;
}

// The program files folder for administrators and on Windows 9x, else the user's
// profile folder (the parent of the documents folder); with a trailing backslash.
std::u16string DefaultTargetRoot(platform::SystemInfo& system) {
  namespace sf = platform::shell_folder;
  if (IsWindows9x(system) || AdministratorTest(system)) {
    return KnownShellFolder(system, sf::kProgramFiles);
  }
  return core::ParentFolder(KnownShellFolder(system, sf::kPersonal));
}

// The installation the bootstrap found, as the later steps need it.
struct Detection {
  bool maintenance = false;
  bool load_old_data = false;  // an upgrade that takes over the old revision's data
};

void DefineCacheVariables(EngineState& engine, const std::u16string& revision_folder,
                          std::u16string_view tag) {
  engine.variables.DefineVariable(u"UNINSTALLLINK",
                                  revision_folder + engine.values.engine_file_name, tag);
  engine.variables.DefineVariable(u"ENGINECACHE", revision_folder, tag);
}

// With build mode 2 the data lives in the revision's cache folder, and media folders
// are looked for there too.
void SetDataFolder(EngineState& engine, const script::ScriptTables& script,
                   const std::u16string& revision_folder) {
  InstallerIdentity& identity = engine.identity;
  identity.data_folder = engine.values.data_folder;
  if (script.BuildMode() == kCacheDataBuildMode) identity.data_folder = revision_folder;
  identity.media_root = identity.data_folder;
  engine.variables.DefineVariable(u"DATADIR", identity.data_folder, kTagBootstrap);
}

bool CompileConstantIsTrue(const script::ScriptTables& script, std::u16string_view constant) {
  return core::EqualIgnoreCase(script.ExpandCompileConstants(constant), u"TRUE");
}

// NEEDSUPGRADE from the product state; MAINTENANCE from NEEDSUPGRADE as the store holds
// it, so that a value the command line protects decides.
Detection DetectInstallation(EngineState& engine, const script::ScriptTables& script,
                             std::u16string_view package_path, BootstrapServices& services) {
  script::Variables& variables = engine.variables;
  InstallerIdentity& identity = engine.identity;
  const ProductState state = services.QueryProductState(engine, script, package_path);
  identity.needs_upgrade = NeedsUpgrade(state, identity.revision_code);
  variables.DefineVariable(u"NEEDSUPGRADE", core::TruthText(identity.needs_upgrade), kTagBootstrap);

  Detection detection;
  const bool upgrade = variables.VariableExists(u"NEEDSUPGRADE") &&
                       !core::EqualIgnoreCase(variables.GetVariable(u"NEEDSUPGRADE"), u"FALSE");
  if (upgrade) {
    detection.load_old_data = CompileConstantIsTrue(script, u"#LOADOLDDATA#");
  } else {
    detection.maintenance = state.State() == kProductInstalled;
  }
  identity.maintenance = detection.maintenance;
  variables.DefineVariable(u"MAINTENANCE", core::TruthText(detection.maintenance), kTagBootstrap);
  return detection;
}

// Restores the installed run, or starts a new one with the default choices.
void PrepareRunState(EngineState& engine, const script::ScriptTables& script,
                     std::u16string_view package_path, bool maintenance,
                     BootstrapServices& services) {
  const std::u16string cache_folder = CacheFolder(
      engine.platform, engine.variables, engine.identity, script.BuildMode(), package_path);
  const std::u16string_view base_name = core::BaseNameOfPath(package_path);
  if (maintenance) {
    services.RestoreInstallation(cache_folder, base_name);
    return;
  }
  services.StartNewInstallation();
  script::Variables& variables = engine.variables;
  variables.DefineVariable(u"TARGETDIR", engine.identity.start_target_folder, kTagBootstrap);
  variables.DefineVariable(u"STARTMENU", engine.identity.title, kTagBootstrap);
  variables.DefineVariable(
      u"ALLUSERS", core::TruthText(AdministratorTest(engine.platform.system())), kTagBootstrap);
  // A first run finds none; a run whose cache already holds data takes its choices.
  services.LoadCacheData(cache_folder + std::u16string(base_name) + u".dat", false);
}

// The folder an earlier installation of the product registered: the per-machine one
// when it exists, unless only the per-user one holds the product's native logs.
std::u16string OldRevisionFolder(platform::Platform& platform, std::u16string_view product_code) {
  using platform::RegistryRoot;
  platform::FileSystem& files = platform.files();
  const auto logs_in = [&](const std::optional<std::u16string>& folder) {
    return folder && !folder->empty() &&
           NativeLogSetExists(files,
                              core::WithTrailingBackslash(*folder) + std::u16string(product_code));
  };
  const auto machine =
      RegisteredCacheFolder(platform.registry(), RegistryRoot::kLocalMachine, product_code);
  const auto user =
      RegisteredCacheFolder(platform.registry(), RegistryRoot::kCurrentUser, product_code);
  const bool machine_usable = machine && !machine->empty() && files.FolderExists(*machine);
  if (machine_usable && (logs_in(machine) || !logs_in(user))) {
    return core::WithTrailingBackslash(*machine);
  }
  return user ? core::WithTrailingBackslash(*user) : std::u16string();
}

void DefineOldNativeLog(EngineState& engine, const std::u16string& old_folder) {
  const InstallerIdentity& identity = engine.identity;
  std::u16string old_log;
  const std::u16string base = old_folder + identity.product_code;
  if (!old_folder.empty() && NativeLogSetExists(engine.platform.files(), base) &&
      core::LastFolderName(old_folder) != identity.revision_code) {
    old_log = base;
  }
  engine.variables.DefineVariable(u"NATIVE_OLDLOG", old_log, kTagBootstrap);
}

// The old revision's data file: the only "*.dat" but "instance.dat", or else the first
// one that belongs to a complete set (whose shortcut list is then taken over).
std::u16string OldDataFile(platform::FileSystem& files, const std::u16string& old_folder,
                           BootstrapServices& services) {
  auto listing = files.FindFiles(old_folder + u"*.dat");
  if (!listing.ok()) return {};
  std::vector<std::u16string> candidates;
  for (const platform::FoundFile& entry : *listing) {
    if (entry.is_folder() || !core::EndsWithIgnoreCase(entry.name, u".dat") ||
        core::EqualIgnoreCase(entry.name, kInstanceFile)) {
      continue;
    }
    candidates.push_back(entry.name);
  }
  if (candidates.size() == 1) return old_folder + candidates.front();
  for (const std::u16string& name : candidates) {
    const std::u16string stem = old_folder + name.substr(0, name.size() - 4);
    if (CacheSetFilesExist(files, stem)) {
      if (files.FileExists(stem + u".lnk")) services.LoadShortcutList(stem + u".lnk");
      return old_folder + name;
    }
  }
  return {};
}

// NATIVE_OLDLOG, the old revision's data and RECOMMENDEDUPGRADE.
void DetectOldRevision(EngineState& engine, const script::ScriptTables& script,
                       const Detection& detection, BootstrapServices& services) {
  const std::u16string old_folder =
      OldRevisionFolder(engine.platform, engine.identity.product_code);
  DefineOldNativeLog(engine, old_folder);

  std::u16string remembered_data_file;
  if (!old_folder.empty() && engine.platform.files().FolderExists(old_folder)) {
    const std::u16string data_file = OldDataFile(engine.platform.files(), old_folder, services);
    if (!data_file.empty() && detection.load_old_data) {
      services.LoadCacheData(data_file, true);
    } else {
      remembered_data_file = data_file;
    }
  }

  script::Variables& variables = engine.variables;
  const bool recommended = !variables.GetVariable(u"NATIVE_OLDLOG").empty();
  if (recommended && !remembered_data_file.empty() &&
      CompileConstantIsTrue(script, u"#LOADOLDDATA#")) {
    services.LoadCacheData(remembered_data_file, true);
  }
  variables.DefineVariable(u"RECOMMENDEDUPGRADE", core::TruthText(recommended), kTagBootstrap);
}

void DefineNewInstance(EngineState& engine, bool has_instance_file) {
  script::Variables& variables = engine.variables;
  variables.DefineVariable(u"NEWINSTANCE", u"FALSE", kTagInitialization);
  if (!has_instance_file && (core::TruthOf(variables.GetVariable(u"MAINTENANCE")) ||
                             core::TruthOf(variables.GetVariable(u"NEEDSUPGRADE")))) {
    variables.DefineVariable(u"NEWINSTANCE", u"TRUE", kTagInitialization);
  }
}

}  // namespace

ProductState BootstrapServices::QueryProductState(EngineState&, const script::ScriptTables&,
                                                  std::u16string_view) {
  return {};
}
void BootstrapServices::RestoreInstallation(const std::u16string&, std::u16string_view) {}
void BootstrapServices::StartNewInstallation() {}
void BootstrapServices::LoadCacheData(const std::u16string&, bool) {}
void BootstrapServices::LoadShortcutList(const std::u16string&) {}

void SetDefaultIdentity(InstallerIdentity& identity, const script::ScriptTables& script) {
  identity.product_code = script.ProductCode();
  identity.revision_code = script.RevisionCode();
  identity.title = script.ProductTitle();
}

void Bootstrap(EngineState& engine, const script::ScriptTables& script,
               std::u16string_view package_path, BootstrapServices& services) {
  InstallerIdentity& identity = engine.identity;
  script::Variables& variables = engine.variables;
  platform::Platform& platform = engine.platform;
  identity.refreshed_cache_inputs.clear();

  const bool has_instance_file =
      ReadInstanceFile(platform.files(), engine.values.engine_folder, identity);
  variables.DefineVariable(u"PRODUCTCODE", identity.product_code, kTagBootstrap);
  variables.DefineVariable(u"REVISIONCODE", identity.revision_code, kTagBootstrap);

  identity.start_target_folder = DefaultTargetRoot(platform.system()) + identity.title + u"\\";

  const bool administrator = AdministratorTest(platform.system());
  const std::u16string revision_folder =
      CacheRoot(platform, variables, identity, administrator) + identity.revision_code + u"\\";
  DefineCacheVariables(engine, revision_folder, kTagBootstrap);
  SetDataFolder(engine, script, revision_folder);

  const Detection detection = DetectInstallation(engine, script, package_path, services);
  PrepareRunState(engine, script, package_path, detection.maintenance, services);
  DetectOldRevision(engine, script, detection, services);
  DefineNewInstance(engine, has_instance_file);
}

void RefreshCacheVariables(EngineState& engine, const script::ScriptTables& script) {
  InstallerIdentity& identity = engine.identity;
  const bool all_users = core::TruthOf(engine.variables.GetVariable(u"ALLUSERS"));
  const std::u16string inputs =
      core::TruthText(all_users) + u"|" + engine.variables.GetVariable(kOverrideCacheVariable) +
      u"|" + identity.product_code + u"|" + identity.revision_code + u"|" +
      identity.patch_identity + u"|" + core::DecimalText(script.BuildMode());
  if (inputs != identity.refreshed_cache_inputs) {
    identity.refreshed_cache_folder =
        CacheRoot(engine.platform, engine.variables, identity, all_users) +
        CacheFolderName(identity, script.BuildMode()) + u"\\";
    identity.refreshed_cache_inputs = inputs;
  }
  DefineCacheVariables(engine, identity.refreshed_cache_folder, kTagInitialization);
}

}  // namespace velkor::startup
