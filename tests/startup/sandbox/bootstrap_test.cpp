// The bootstrap on sandbox machines: the identity, the installer cache's root and
// folders, the first-installation defaults, the earlier revision found through the
// cache registrations, and moving the cache.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "startup/bootstrap.h"
#include "startup/cache_move.h"
#include "startup/installer_cache.h"
#include "startup/sandbox/engine_host.h"

namespace velkor::startup {
namespace {

using platform::RegistryRoot;
using platform::sandbox::MachineProfile;
using testing::EngineHost;
using testing::HostOptions;
using testing::kPackagePath;
using testing::kProductCode;
using testing::kRevisionCode;

constexpr std::u16string_view kOldRevision = u"{11111111-2222-3333-4444-555555555555}";

std::u16string Revision() {
  return std::u16string(kRevisionCode);
}
std::u16string Product() {
  return std::u16string(kProductCode);
}
std::u16string OldRevision() {
  return std::u16string(kOldRevision);
}

MachineProfile StandardUser() {
  MachineProfile profile;
  profile.is_administrator = false;
  return profile;
}

TEST(Bootstrap, FirstInstallationByAnAdministratorUsesTheCommonApplicationData) {
  EngineHost host;
  host.Bootstrap();

  const std::u16string cache = u"C:\\ProgramData\\" + Revision() + u"\\";
  EXPECT_EQ(host.Var(u"PRODUCTCODE"), Product());
  EXPECT_EQ(host.Var(u"REVISIONCODE"), Revision());
  EXPECT_EQ(host.Var(u"ENGINECACHE"), cache);
  EXPECT_EQ(host.Var(u"UNINSTALLLINK"), cache + u"setup.exe");
  EXPECT_EQ(host.Var(u"DATADIR"), u"C:\\setup\\data\\");
  EXPECT_EQ(host.Var(u"TARGETDIR"), u"C:\\Program Files (x86)\\Test Product\\");
  EXPECT_EQ(host.Var(u"STARTMENU"), u"Test Product");
  EXPECT_EQ(host.Var(u"ALLUSERS"), u"TRUE");
  EXPECT_EQ(host.Var(u"NEEDSUPGRADE"), u"FALSE");
  EXPECT_EQ(host.Var(u"MAINTENANCE"), u"FALSE");
  EXPECT_TRUE(host.variables().VariableExists(u"NATIVE_OLDLOG"));
  EXPECT_EQ(host.Var(u"NATIVE_OLDLOG"), u"");
  EXPECT_EQ(host.Var(u"RECOMMENDEDUPGRADE"), u"FALSE");
  EXPECT_EQ(host.Var(u"NEWINSTANCE"), u"FALSE");
  EXPECT_EQ(host.engine().identity.media_root, u"C:\\setup\\data\\");
  // The defaults of a new installation, then whatever its cache already holds.
  EXPECT_EQ(host.services().calls,
            (std::vector<std::u16string>{u"new", u"load " + cache + u"setup.dat"}));
}

TEST(Bootstrap, AccountAndWindowsFamilyChooseTheCacheRootAndTheTargetFolder) {
  struct Case {
    const char* name;
    MachineProfile profile;
    std::u16string root;
    std::u16string target;
    std::u16string all_users;
  };
  MachineProfile vista_not_elevated;
  vista_not_elevated.version_major = 6;
  vista_not_elevated.version_minor = 0;
  vista_not_elevated.is_elevated = false;
  MachineProfile xp;
  xp.version_major = 5;
  xp.version_minor = 1;
  xp.is_64bit_windows = false;
  MachineProfile windows98;
  windows98.version_major = 4;
  windows98.version_minor = 10;
  windows98.platform_id = 1;
  windows98.is_64bit_windows = false;
  const Case cases[] = {
      {"standard user", StandardUser(), u"C:\\Users\\User\\AppData\\Local\\",
       u"C:\\Users\\User\\Test Product\\", u"FALSE"},
      {"Vista administrator, not elevated", vista_not_elevated,
       u"C:\\Users\\User\\AppData\\Local\\", u"C:\\Users\\User\\Test Product\\", u"FALSE"},
      {"XP administrator", xp, u"C:\\ProgramData\\", u"C:\\Program Files\\Test Product\\", u"TRUE"},
      {"Windows 98", windows98, u"C:\\Program Files\\Common Files\\",
       u"C:\\Program Files\\Test Product\\", u"FALSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host({.profile = c.profile});
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"ENGINECACHE"), c.root + Revision() + u"\\");
    EXPECT_EQ(host.Var(u"TARGETDIR"), c.target);
    EXPECT_EQ(host.Var(u"ALLUSERS"), c.all_users);
  }
}

TEST(Bootstrap, OverrideCacheIsTheRootWithItsBackslash) {
  for (const char16_t* root : {u"C:\\Cache\\", u"C:\\Cache"}) {
    EngineHost host;
    host.variables().DefineVariable(u"OVERRIDECACHE", root, u"LoadComponents");
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Cache\\" + Revision() + u"\\");
    EXPECT_EQ(CacheRoot(host.platform(), host.variables(), host.engine().identity, false),
              u"C:\\Cache\\");
  }
}

TEST(Bootstrap, RegistrationOfThisRevisionGivesTheRoot) {
  {
    SCOPED_TRACE("per machine, folder present");
    EngineHost host;
    host.machine().Put(u"C:\\Vendor\\Cache\\" + Revision() + u"\\vex.lib", "x");
    host.Register(RegistryRoot::kLocalMachine, u"C:\\Vendor\\Cache\\" + Revision() + u"\\");
    host.Register(RegistryRoot::kCurrentUser, u"C:\\Elsewhere\\" + Revision() + u"\\");
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Vendor\\Cache\\" + Revision() + u"\\");
  }
  {
    SCOPED_TRACE("per machine folder gone: the per-user registration");
    EngineHost host;
    host.Register(RegistryRoot::kLocalMachine, u"C:\\Vendor\\Cache\\" + Revision() + u"\\");
    host.Register(RegistryRoot::kCurrentUser, u"C:\\Elsewhere\\" + Revision());
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Elsewhere\\" + Revision() + u"\\");
  }
  {
    SCOPED_TRACE("the folder name must match exactly");
    EngineHost host;
    std::u16string lower =
        core::Utf8ToUtf16("C:\\Vendor\\Cache\\{9a8b7c6d-5e4f-4a3b-8c2d-1e0f9a8b7c6d}\\");
    host.machine().Put(lower + u"vex.lib", "x");
    host.Register(RegistryRoot::kLocalMachine, lower);
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\ProgramData\\" + Revision() + u"\\");
  }
}

TEST(Bootstrap, AnotherRevisionsRegistrationIsOnlyTheOldRevision) {
  const std::u16string old_folder = u"C:\\Vendor\\Cache\\" + OldRevision() + u"\\";
  for (const bool load_old_data : {false, true}) {
    SCOPED_TRACE(load_old_data ? "#LOADOLDDATA# TRUE" : "no #LOADOLDDATA#");
    HostOptions options;
    if (load_old_data) options.constants = {{u"LOADOLDDATA", u"true"}};
    EngineHost host(options);
    host.PutCacheSet(old_folder, u"setup");
    host.PutNativeLogs(old_folder);
    host.machine().Put(old_folder + u"instance.dat", "");
    host.Register(RegistryRoot::kLocalMachine, old_folder);
    host.Bootstrap();

    const std::u16string cache = u"C:\\ProgramData\\" + Revision() + u"\\";
    EXPECT_EQ(host.Var(u"ENGINECACHE"), cache);
    EXPECT_EQ(host.Var(u"NATIVE_OLDLOG"), old_folder + Product());
    EXPECT_EQ(host.Var(u"RECOMMENDEDUPGRADE"), u"TRUE");
    EXPECT_EQ(host.Var(u"MAINTENANCE"), u"FALSE");
    std::vector<std::u16string> expected = {u"new", u"load " + cache + u"setup.dat"};
    if (load_old_data) expected.push_back(u"load " + old_folder + u"setup.dat without sizes");
    EXPECT_EQ(host.services().calls, expected);
  }
}

TEST(Bootstrap, OldDataFileIsTheOneOfACompleteSetAmongSeveral) {
  const std::u16string old_folder = u"C:\\Vendor\\Cache\\" + OldRevision() + u"\\";
  EngineHost host({.constants = {{u"LOADOLDDATA", u"TRUE"}}});
  host.PutNativeLogs(old_folder);
  host.machine().Put(old_folder + u"instance.dat", "");
  host.machine().Put(old_folder + u"notes.dat", "");
  host.PutCacheSet(old_folder, u"product");
  host.machine().Put(old_folder + u"product.lnk", "");
  host.Register(RegistryRoot::kLocalMachine, old_folder);
  host.Bootstrap();

  const std::vector<std::u16string> calls = host.services().calls;
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[2], u"shortcuts " + old_folder + u"product.lnk");
  EXPECT_EQ(calls[3], u"load " + old_folder + u"product.dat without sizes");
}

TEST(Bootstrap, WhichRegistrationServesAsTheOldRevision) {
  const std::u16string machine_folder = u"C:\\Machine\\" + OldRevision() + u"\\";
  const std::u16string user_folder = u"C:\\User\\" + OldRevision() + u"\\";
  const std::u16string own_folder = u"C:\\Own\\" + Revision() + u"\\";
  struct Case {
    const char* name;
    bool machine_logs;
    bool user_logs;
    std::u16string machine;  // registered per machine (the folder exists), or empty
    std::u16string user;
    std::u16string old_log;
  };
  const Case cases[] = {
      {"machine folder without logs, user folder with them", false, true, machine_folder,
       user_folder, user_folder + Product()},
      {"both with logs: the machine's", true, true, machine_folder, user_folder,
       machine_folder + Product()},
      {"neither has logs", false, false, machine_folder, user_folder, u""},
      {"only the user's registration", false, true, u"", user_folder, user_folder + Product()},
      {"this revision's own folder is no old revision", true, false, own_folder, u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host;
    if (!c.machine.empty()) {
      host.machine().Put(c.machine + u"vex.lib", "x");
      if (c.machine_logs) host.PutNativeLogs(c.machine);
      host.Register(RegistryRoot::kLocalMachine, c.machine);
    }
    if (!c.user.empty()) {
      if (c.user_logs) host.PutNativeLogs(c.user);
      host.Register(RegistryRoot::kCurrentUser, c.user);
    }
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"NATIVE_OLDLOG"), c.old_log);
    EXPECT_EQ(host.Var(u"RECOMMENDEDUPGRADE"), c.old_log.empty() ? u"FALSE" : u"TRUE");
  }
}

TEST(Bootstrap, InstanceFileReplacesTheIdentityAndKeepsNewInstanceFalse) {
  const std::u16string other_product = u"{AAAAAAAA-0000-0000-0000-000000000001}";
  const std::u16string other_revision = u"{AAAAAAAA-0000-0000-0000-000000000002}";
  EngineHost host;
  host.services().product.native_installed = true;
  host.machine().Put(u"C:\\setup\\instance.dat", "\xEF\xBB\xBF" + core::Utf16ToUtf8(other_product) +
                                                     "\r\n" + core::Utf16ToUtf8(other_revision) +
                                                     "\r\nSecond Instance\r\n");
  host.Bootstrap();

  EXPECT_EQ(host.Var(u"PRODUCTCODE"), other_product);
  EXPECT_EQ(host.Var(u"REVISIONCODE"), other_revision);
  EXPECT_EQ(host.engine().identity.title, u"Second Instance");
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\ProgramData\\" + other_revision + u"\\");
  EXPECT_EQ(host.Var(u"MAINTENANCE"), u"TRUE");
  EXPECT_EQ(host.Var(u"NEWINSTANCE"), u"FALSE");
}

TEST(Bootstrap, InstanceFileWithMissingLinesKeepsTheScriptsValues) {
  EngineHost host;
  host.machine().Put(u"C:\\setup\\instance.dat", "\r\n{AAAAAAAA-0000-0000-0000-000000000002}");
  host.Bootstrap();
  EXPECT_EQ(host.Var(u"PRODUCTCODE"), Product());
  EXPECT_EQ(host.Var(u"REVISIONCODE"), u"{AAAAAAAA-0000-0000-0000-000000000002}");
  EXPECT_EQ(host.engine().identity.title, u"Test Product");
}

TEST(Bootstrap, ProductStateDecidesMaintenanceUpgradeAndNewInstance) {
  struct Case {
    const char* name;
    ProductState state;
    const char16_t* needs_upgrade;
    const char16_t* maintenance;
    const char16_t* new_instance;
  };
  const std::u16string other_package = u"{BBBBBBBB-0000-0000-0000-000000000000}";
  const std::u16string own_package_lower =
      core::Utf8ToUtf16("{9a8b7c6d-5e4f-4a3b-8c2d-1e0f9a8b7c6d}");
  const Case cases[] = {
      {"not installed", {}, u"FALSE", u"FALSE", u"FALSE"},
      {"installed natively", {.native_installed = true}, u"FALSE", u"TRUE", u"TRUE"},
      {"installer holds another package",
       {.installer_state = kProductInstalled, .installer_package_code = other_package},
       u"TRUE",
       u"FALSE",
       u"TRUE"},
      {"installer holds this revision",
       {.installer_state = kProductInstalled, .installer_package_code = own_package_lower},
       u"FALSE",
       u"TRUE",
       u"TRUE"},
      {"native and installer advertised only",
       {.native_installed = true, .installer_state = 1, .installer_package_code = other_package},
       u"FALSE",
       u"TRUE",
       u"TRUE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host;
    host.services().product = c.state;
    host.Bootstrap();
    EXPECT_EQ(host.Var(u"NEEDSUPGRADE"), c.needs_upgrade);
    EXPECT_EQ(host.Var(u"MAINTENANCE"), c.maintenance);
    EXPECT_EQ(host.Var(u"NEWINSTANCE"), c.new_instance);
    EXPECT_EQ(host.engine().identity.maintenance, host.Var(u"MAINTENANCE") == u"TRUE");
  }
}

TEST(Bootstrap, MaintenanceRestoresTheInstallationInsteadOfTheDefaults) {
  EngineHost host;
  host.services().product.native_installed = true;
  host.variables().DefineVariable(u"TARGETDIR", u"D:\\Installed\\", u"LoadComponents");
  host.Bootstrap();
  EXPECT_EQ(host.services().calls,
            (std::vector<std::u16string>{u"restore C:\\ProgramData\\" + Revision() + u"\\setup"}));
  EXPECT_EQ(host.Var(u"TARGETDIR"), u"D:\\Installed\\");
}

TEST(Bootstrap, UpgradeProtectedOnTheCommandLineIsNoMaintenance) {
  EngineHost host({.arguments = {u"NEEDSUPGRADE:TRUE"}});
  host.services().product.native_installed = true;
  host.variables().DefineVariable(u"NEEDSUPGRADE", u"TRUE", script::kTagInjectOverrideEx);
  host.Bootstrap();
  EXPECT_EQ(host.Var(u"NEEDSUPGRADE"), u"TRUE");
  EXPECT_EQ(host.Var(u"MAINTENANCE"), u"FALSE");
}

TEST(Bootstrap, BuildMode2KeepsTheDataInTheRevisionsCacheFolder) {
  EngineHost host({.build_mode = 2});
  host.Bootstrap();
  const std::u16string cache = u"C:\\ProgramData\\" + Revision() + u"\\";
  EXPECT_EQ(host.Var(u"DATADIR"), cache);
  EXPECT_EQ(host.engine().identity.data_folder, cache);
  EXPECT_EQ(host.engine().identity.media_root, cache);
}

TEST(Bootstrap, RefreshFollowsAllUsersAndANewRegistration) {
  EngineHost host;
  host.Bootstrap();
  host.variables().SetVariable(u"ALLUSERS", u"FALSE", u"Set Variable Action");
  host.variables().SetVariable(u"ENGINECACHE", u"C:\\Elsewhere\\", u"Set Variable Action");
  RefreshCacheVariables(host.engine(), host.script());
  const std::u16string cache = u"C:\\Users\\User\\AppData\\Local\\" + Revision() + u"\\";
  EXPECT_EQ(host.Var(u"ENGINECACHE"), cache);
  EXPECT_EQ(host.Var(u"UNINSTALLLINK"), cache + u"setup.exe");

  // Registering the product is announced by clearing what the refresh remembers.
  host.machine().Put(u"C:\\Vendor\\" + Revision() + u"\\vex.lib", "x");
  host.Register(RegistryRoot::kLocalMachine, u"C:\\Vendor\\" + Revision() + u"\\");
  host.engine().identity.refreshed_cache_inputs.clear();
  RefreshCacheVariables(host.engine(), host.script());
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Vendor\\" + Revision() + u"\\");
}

TEST(InstallerCache, FindCacheSet) {
  struct Case {
    const char* name;
    std::vector<const char16_t*> files;
    std::u16string found;
  };
  const std::u16string folder = u"C:\\Set\\";
  const Case cases[] = {
      {"complete", {u"vex.lib", u"a.dat", u"a.exe", u"a.res", u"a.par"}, folder + u"a.dat"},
      {"without vex.lib", {u"a.dat", u"a.exe", u"a.res", u"a.par"}, u""},
      {"without the property log", {u"vex.lib", u"a.dat", u"a.exe", u"a.res"}, u""},
      {"only the second name is complete",
       {u"vex.lib", u"a.dat", u"a.exe", u"b.dat", u"b.exe", u"b.res", u"b.par"},
       folder + u"b.dat"},
      {"a longer extension is no data file",
       {u"vex.lib", u"a.data", u"a.exe", u"a.res", u"a.par"},
       u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host;
    for (const char16_t* name : c.files) host.machine().Put(folder + name, "x");
    EXPECT_EQ(FindCacheSet(host.platform().files(), folder), c.found);
    EXPECT_EQ(FindCacheSet(host.platform().files(), u"C:\\Set"), c.found);
  }
}

TEST(InstallerCache, AProductCachedForThisUserStaysPerUser) {
  EngineHost host;
  SetDefaultIdentity(host.engine().identity, host.script());
  const std::u16string user_cache = u"C:\\Users\\User\\AppData\\Local\\" + Revision() + u"\\";
  const auto all_users = [&] {
    return CacheAllUsersFor(host.platform(), host.variables(), host.engine().identity, 1,
                            kPackagePath);
  };
  EXPECT_TRUE(all_users()) << "no per-user data file";
  host.machine().Put(user_cache + u"setup.dat", "x");
  EXPECT_FALSE(all_users()) << "the package's folder is no cache set";
  EXPECT_EQ(CacheFolder(host.platform(), host.variables(), host.engine().identity, 1, kPackagePath),
            user_cache);
  host.PutCacheSet(testing::kSupportFolder, u"setup");
  EXPECT_TRUE(all_users()) << "the package's folder is a cache set";
}

TEST(InstallerCache, PatchIdentityNamesTheFolderOnlyInBuildMode3) {
  InstallerIdentity identity;
  identity.revision_code = Revision();
  EXPECT_EQ(CacheFolderName(identity, 3), Revision()) << "no patch found";
  identity.patch_identity = OldRevision();
  EXPECT_EQ(CacheFolderName(identity, 3), OldRevision());
  EXPECT_EQ(CacheFolderName(identity, 2), Revision());
}

TEST(MoveCache, TriesTheNewRootAndRerunsTheBootstrap) {
  EngineHost host;
  host.Bootstrap();
  host.machine().files().CreateFolder(u"C:\\Existing");
  ASSERT_TRUE(MoveCache(host.engine(), host.script(), u"C:\\Existing\\New\\Cache", kPackagePath,
                        host.services()));

  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"C:\\Existing\\New\\Cache\\");
  EXPECT_EQ(host.engine().identity.applied_override_cache, u"C:\\Existing\\New\\Cache\\");
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Existing\\New\\Cache\\" + Revision() + u"\\");
  EXPECT_EQ(host.services().queries, 2);
  // Only the folders the try made go again.
  EXPECT_FALSE(host.machine().files().FolderExists(u"C:\\Existing\\New"));
  EXPECT_TRUE(host.machine().files().FolderExists(u"C:\\Existing"));
}

TEST(MoveCache, ARootThatCannotBeMadeEmptiesOverrideCache) {
  EngineHost host;
  host.Bootstrap();
  host.engine().identity.applied_override_cache = u"C:\\Before\\";
  host.machine().Put(u"C:\\Blocked", "a file in the way");
  host.variables().DefineVariable(u"OVERRIDECACHE", u"C:\\Blocked\\Cache", u"Set Variable Action");
  EXPECT_FALSE(MoveCache(host.engine(), host.script(), u"C:\\Blocked\\Cache", kPackagePath,
                         host.services()));
  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"");
  EXPECT_TRUE(host.variables().VariableExists(u"OVERRIDECACHE"));
  EXPECT_EQ(host.engine().identity.applied_override_cache, u"");
  EXPECT_EQ(host.services().queries, 1) << "no second bootstrap";
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\ProgramData\\" + Revision() + u"\\");
}

TEST(MoveCache, ARootTheCommandLineProtectsStillGetsItsBackslashInTheFolders) {
  EngineHost host({.arguments = {u"OVERRIDECACHE:C:\\Other"}});
  host.Bootstrap();
  host.variables().DefineVariable(u"OVERRIDECACHE", u"C:\\Other", script::kTagInjectOverrideEx);
  ASSERT_TRUE(MoveCache(host.engine(), host.script(), u"C:\\Other", kPackagePath, host.services()));
  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"C:\\Other");
  // Applied as the store holds it, so the next statement does not move it again.
  EXPECT_EQ(host.engine().identity.applied_override_cache, u"C:\\Other");
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Other\\" + Revision() + u"\\");
}

}  // namespace
}  // namespace velkor::startup
