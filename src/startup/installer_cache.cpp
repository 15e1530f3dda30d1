#include "startup/installer_cache.h"

#include <array>

#include "core/case_mapping.h"
#include "core/path_text.h"
#include "startup/administrator_test.h"

namespace velkor::startup {
namespace {

using platform::RegistryRoot;
using platform::RegistryView;

std::u16string IdentCacheKeyOf(std::u16string_view product_code) {
  return std::u16string(kIdentCacheKey) + std::u16string(product_code);
}

// The registered cache folder that may give the root: HKLM when its key can be read
// and its folder exists, else HKCU.
std::optional<std::u16string> RegisteredRootCandidate(platform::Platform& platform,
                                                      std::u16string_view product_code) {
  auto machine =
      RegisteredCacheFolder(platform.registry(), RegistryRoot::kLocalMachine, product_code);
  if (machine && platform.files().FolderExists(*machine)) return machine;
  return RegisteredCacheFolder(platform.registry(), RegistryRoot::kCurrentUser, product_code);
}

std::u16string RegisteredRoot(platform::Platform& platform, const InstallerIdentity& identity) {
  const auto registered = RegisteredRootCandidate(platform, identity.product_code);
  if (!registered || registered->empty()) return {};
  // Only the registration of this very revision tells where this revision's cache is.
  if (core::LastFolderName(*registered) != identity.revision_code) return {};
  return core::ParentFolder(*registered);
}

std::u16string DefaultRoot(platform::SystemInfo& system, bool all_users) {
  namespace sf = platform::shell_folder;
  std::u16string root;
  if (IsWindows9x(system)) {
    root = KnownShellFolder(system, sf::kProgramFilesCommon);
  } else if (all_users) {
    root = KnownShellFolder(system, sf::kCommonAppData);
  } else {
    root = KnownShellFolder(system, sf::kLocalAppData);
    if (root.empty()) root = KnownShellFolder(system, sf::kAppData);
  }
  if (root.empty()) {
    const std::u16string desktop = KnownShellFolder(system, sf::kDesktop);
    if (!desktop.empty()) root = core::ParentFolder(desktop) + u"Application Data\\";
  }
  return root;
}

}  // namespace

std::u16string KnownShellFolder(platform::SystemInfo& system, int csidl) {
  auto folder = system.ShellFolder(csidl);
  if (!folder.ok() || folder->empty()) return {};
  return core::WithTrailingBackslash(*folder);
}

std::optional<std::u16string> RegisteredCacheFolder(platform::Registry& registry,
                                                    platform::RegistryRoot root,
                                                    std::u16string_view product_code) {
  auto value = registry.ReadValue(root, IdentCacheKeyOf(product_code), u"", RegistryView::kDefault);
  if (!value.ok()) return std::nullopt;
  return value->AsString();
}

std::u16string CacheRoot(platform::Platform& platform, const script::Variables& variables,
                         const InstallerIdentity& identity, bool all_users) {
  // A root that lacks its backslash (OVERRIDECACHE given as "D:\Cache" and protected by
  // the command line) must not run into the revision's folder name.
  const std::u16string override_root = variables.GetVariable(kOverrideCacheVariable);
  if (!override_root.empty()) return core::WithTrailingBackslash(override_root);
  std::u16string root = RegisteredRoot(platform, identity);
  if (root.empty()) root = DefaultRoot(platform.system(), all_users);
  return root;
}

std::u16string CacheFolderName(const InstallerIdentity& identity, int32_t build_mode) {
  constexpr int32_t kPatchBuildMode = 3;
  // Without a patch there is no installed folder name to use: the revision's own
  // folder, never the cache root itself.
  if (build_mode == kPatchBuildMode && !identity.patch_identity.empty()) {
    return identity.patch_identity;
  }
  return identity.revision_code;
}

bool CacheAllUsersFor(platform::Platform& platform, const script::Variables& variables,
                      const InstallerIdentity& identity, int32_t build_mode,
                      std::u16string_view package_path) {
  const std::u16string user_folder = CacheRoot(platform, variables, identity, false) +
                                     CacheFolderName(identity, build_mode) + u"\\";
  const std::u16string data_file =
      user_folder + std::u16string(core::BaseNameOfPath(package_path)) + u".dat";
  if (!platform.files().FileExists(data_file)) return true;
  return !FindCacheSet(platform.files(), core::FolderOfPath(package_path)).empty();
}

std::u16string CacheFolder(platform::Platform& platform, const script::Variables& variables,
                           const InstallerIdentity& identity, int32_t build_mode,
                           std::u16string_view package_path) {
  const bool all_users = CacheAllUsersFor(platform, variables, identity, build_mode, package_path);
  return CacheRoot(platform, variables, identity, all_users) +
         CacheFolderName(identity, build_mode) + u"\\";
}

std::u16string FindCacheSet(platform::FileSystem& files, std::u16string_view folder) {
  const std::u16string base = core::WithTrailingBackslash(folder);
  if (base.empty() || !files.FileExists(base + u"vex.lib")) return {};
  auto listing = files.FindFiles(base + u"*.dat");
  if (!listing.ok()) return {};
  for (const platform::FoundFile& entry : *listing) {
    if (entry.is_folder() || !core::EndsWithIgnoreCase(entry.name, u".dat")) continue;
    if (CacheSetFilesExist(files, base + entry.name.substr(0, entry.name.size() - 4))) {
      return base + entry.name;
    }
  }
  return {};
}

bool CacheSetFilesExist(platform::FileSystem& files, std::u16string_view stem) {
  const std::u16string base(stem);
  return files.FileExists(base + u".exe") && files.FileExists(base + u".res") &&
         files.FileExists(base + u".par");
}

bool NativeLogSetExists(platform::FileSystem& files, std::u16string_view log_base) {
  static constexpr std::array<std::u16string_view, 4> kSuffixes = {
      u".native.elements.log", u".native.data.log", u".native.weight.log", u".native.bitness.log"};
  if (log_base.empty()) return false;
  for (std::u16string_view suffix : kSuffixes) {
    if (!files.FileExists(std::u16string(log_base) + std::u16string(suffix))) return false;
  }
  return true;
}

}  // namespace velkor::startup
