// Where the installer cache of the product lives: the cache root, the cache folder of a
// revision, which root (all users or this user) a package belongs to, the product's
// Ident.Cache registrations and the test for a complete cache set. Everything is read
// from the machine and the variable store at the moment of the call (OVERRIDECACHE and
// the registrations change during a run). Main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "script/variables.h"
#include "startup/installer_identity.h"

namespace velkor::startup {

// Followed by the product code; its default value names the installed revision's cache
// folder (under HKEY_LOCAL_MACHINE for all users, HKEY_CURRENT_USER for one).
inline constexpr std::u16string_view kIdentCacheKey = u"SOFTWARE\\Tarnwick\\Velkor\\Ident.Cache\\";
inline constexpr std::u16string_view kOverrideCacheVariable = u"OVERRIDECACHE";

// The shell folder with a trailing backslash; empty when the system knows none.
std::u16string KnownShellFolder(platform::SystemInfo& system, int csidl);

// The default value of the product's Ident.Cache key under one hive, as stored;
// nullopt when the key or the value cannot be read.
std::optional<std::u16string> RegisteredCacheFolder(platform::Registry& registry,
                                                    platform::RegistryRoot root,
                                                    std::u16string_view product_code);

// The folder that holds the revisions' cache folders, with a trailing backslash:
// OVERRIDECACHE when set; else the parent of the registered cache folder when that
// folder is named exactly like the revision code (HKLM when its key and folder exist,
// else HKCU); else the shell folder of the account kind (common application data for
// all users, local or roaming application data otherwise; the common files folder on
// Windows 9x).
std::u16string CacheRoot(platform::Platform& platform, const script::Variables& variables,
                         const InstallerIdentity& identity, bool all_users);

// The cache folder's own name: the revision code, or in build mode 3 the installed
// revision's folder name found for a patch (when one was found).
std::u16string CacheFolderName(const InstallerIdentity& identity, int32_t build_mode);

// Whether the package belongs under the all-users root: false only when this user's
// cache folder of the revision holds the package's data file and the package's own
// folder is a complete cache set.
bool CacheAllUsersFor(platform::Platform& platform, const script::Variables& variables,
                      const InstallerIdentity& identity, int32_t build_mode,
                      std::u16string_view package_path);

// CacheRoot (CacheAllUsersFor (package)) + CacheFolderName + "\".
std::u16string CacheFolder(platform::Platform& platform, const script::Variables& variables,
                           const InstallerIdentity& identity, int32_t build_mode,
                           std::u16string_view package_path);

// A folder holds a cache set when it holds "vex.lib" and, for some name X, X + ".dat",
// ".exe", ".res" and ".par". The path of the first such data file in the folder's
// listing, or empty.
std::u16string FindCacheSet(platform::FileSystem& files, std::u16string_view folder);

// The ".exe", ".res" and ".par" files of a cache set's stem (its folder + X) all exist.
bool CacheSetFilesExist(platform::FileSystem& files, std::u16string_view stem);

// The four native log files of a log base (a folder + the product code) all exist.
bool NativeLogSetExists(platform::FileSystem& files, std::u16string_view log_base);

}  // namespace velkor::startup
