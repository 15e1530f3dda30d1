#include "startup/cache_move.h"

#include <string>
#include <vector>

#include "core/path_text.h"
#include "startup/installer_cache.h"

namespace velkor::startup {
namespace {

// The folder and its missing parents, deepest first, each with its backslash (so that
// a drive's root reads "C:\", as the file system knows it).
std::vector<std::u16string> MissingFolders(platform::FileSystem& files,
                                           std::u16string_view folder) {
  std::vector<std::u16string> missing;
  std::u16string current = core::WithTrailingBackslash(folder);
  while (!current.empty() && !files.FolderExists(current)) {
    missing.push_back(current);
    std::u16string parent = core::ParentFolder(current);
    if (parent.empty() || parent.size() >= current.size()) break;
    current = std::move(parent);
  }
  return missing;
}

// Creates the folders top-down and records each one made, deepest first, so that they
// can be removed in that order.
bool CreateFolderChain(platform::FileSystem& files, std::u16string_view folder,
                       std::vector<std::u16string>& created) {
  if (core::WithoutTrailingBackslash(folder).empty()) return false;
  const std::vector<std::u16string> missing = MissingFolders(files, folder);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!files.CreateFolder(*it)) return false;
    created.insert(created.begin(), *it);
  }
  return true;
}

// Only empty folders go: whatever the rerun bootstrap or anyone else put there stays.
void RemoveCreatedFolders(platform::FileSystem& files, const std::vector<std::u16string>& created) {
  for (const std::u16string& folder : created) (void)files.RemoveFolder(folder);
}

}  // namespace

bool MoveCache(EngineState& engine, const script::ScriptTables& script,
               std::u16string_view new_root, std::u16string_view package_path,
               BootstrapServices& services) {
  script::Variables& variables = engine.variables;
  std::vector<std::u16string> created;
  const bool moved = CreateFolderChain(engine.platform.files(), new_root, created);
  if (moved) {
    variables.SetVariable(kOverrideCacheVariable, core::WithTrailingBackslash(new_root),
                          script::kTagInjectOverride);
    Bootstrap(engine, script, package_path, services);
    // What the store now holds, so that a value the command line kept as it was is not
    // taken for a new request before every statement.
    engine.identity.applied_override_cache = variables.GetVariable(kOverrideCacheVariable);
  } else {
    variables.SetVariable(kOverrideCacheVariable, u"", kTagFailedCacheOverride);
    engine.identity.applied_override_cache.clear();
  }
  RemoveCreatedFolders(engine.platform.files(), created);
  return moved;
}

}  // namespace velkor::startup
