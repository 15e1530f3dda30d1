// The bootstrap step of a run: the product's identity (from the script, or from
// "instance.dat" beside the engine), where its installer cache lies, whether this run
// installs anew, maintains or upgrades, and the variables that tell the script so
// (PRODUCTCODE, REVISIONCODE, UNINSTALLLINK, ENGINECACHE, DATADIR, NEEDSUPGRADE,
// MAINTENANCE, TARGETDIR, STARTMENU, ALLUSERS, NATIVE_OLDLOG, RECOMMENDEDUPGRADE,
// NEWINSTANCE). It runs once before the main script and again whenever the cache moves
// or the run takes a new instance identity. Main thread only, while no worker runs.
#pragma once

#include <string>
#include <string_view>

#include "script/script_tables.h"
#include "startup/engine_state.h"
#include "startup/product_state.h"

namespace velkor::startup {

inline constexpr std::u16string_view kTagBootstrap = u"Bootstrap";
inline constexpr std::u16string_view kTagInitialization = u"Initialization";

// What the bootstrap asks of the parts that know the installed product and keep the
// run's saved state (component model, cache data file, shortcut list, property log).
// The defaults answer "not installed" and keep nothing, which is all a first
// installation needs.
class BootstrapServices {
 public:
  virtual ~BootstrapServices() = default;

  // The native installation test and the Windows Installer state of the product code.
  virtual ProductState QueryProductState(EngineState& engine, const script::ScriptTables& script,
                                         std::u16string_view package_path);
  // Maintenance: the installation's data file (`cache_folder` + `base_name` + ".dat", no
  // merge, sizes kept), the installed total of its selected components, its shortcut
  // list (".lnk") and its property log (".par").
  virtual void RestoreInstallation(const std::u16string& cache_folder,
                                   std::u16string_view base_name);
  // Not maintenance: the component model cleared but for "KEVO-PREDEF-COMPONENT", the
  // installed total 0, the property log empty.
  virtual void StartNewInstallation();
  // A cache data file read without merging; a missing file is skipped.
  virtual void LoadCacheData(const std::u16string& data_file, bool discard_sizes);
  // An earlier revision's shortcut list taken over.
  virtual void LoadShortcutList(const std::u16string& list_file);
};

// The identity the script was built with: product code, revision code and title. Set
// once before the first bootstrap; a new instance identity replaces the two codes.
void SetDefaultIdentity(InstallerIdentity& identity, const script::ScriptTables& script);

// Runs the bootstrap with the identity as it stands. `package_path` is the setup
// package in the support folder (MSIFILE): its base name names the cache data file.
void Bootstrap(EngineState& engine, const script::ScriptTables& script,
               std::u16string_view package_path, BootstrapServices& services);

// Recomputes UNINSTALLLINK and ENGINECACHE from ALLUSERS and the build mode (before
// every statement).
void RefreshCacheVariables(EngineState& engine, const script::ScriptTables& script);

}  // namespace velkor::startup
