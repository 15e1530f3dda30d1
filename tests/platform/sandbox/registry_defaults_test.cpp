// The content a fresh sandbox machine's registry starts with, read where a setup reads it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "platform/sandbox/registry_defaults.h"
#include "platform/sandbox/registry_test_support.h"

namespace velkor::platform::sandbox {
namespace {

using test_support::OpenRegistry;
using test_support::TempFolder;
using ::testing::ElementsAre;

constexpr auto kHkcr = RegistryRoot::kClassesRoot;
constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kHklm = RegistryRoot::kLocalMachine;
constexpr auto k32 = RegistryView::kView32;
constexpr auto k64 = RegistryView::kView64;

constexpr char16_t kNtVersion[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char16_t kVersion[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char16_t kUninstall[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char16_t kUserFolders[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kUserUserFolders[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char16_t kCommonFolders[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kEnvironment[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Facts that differ from every built-in default, so that each expectation shows where
// its value came from.
RegistryDefaults AnnsMachine() {
  RegistryDefaults d;
  d.build = 22631;
  d.update_revision = 4037;
  d.display_version = u"23H2";
  d.product_name = u"Windows 10 Enterprise";
  d.edition_id = u"Enterprise";
  d.user_name = u"ann";
  d.registered_owner = u"Ann Example";
  d.registered_organization = u"Example Corp";
  d.computer_name = u"ANN-PC";
  d.processor_count = 12;
  d.windows_folder = u"D:\\Win";
  d.program_files = u"D:\\Apps";
  d.program_files_x86 = u"D:\\Apps32";
  d.program_data = u"D:\\Data";
  d.public_profile = u"D:\\People\\Public";
  d.user_profile = u"D:\\People\\ann";
  return d;
}

struct Expected {
  RegistryRoot root;
  RegistryView view;
  const char16_t* key;
  const char16_t* name;
  RegistryValue value;
};

void ExpectValues(SandboxRegistry& registry, std::initializer_list<Expected> expected) {
  for (const Expected& e : expected) {
    SCOPED_TRACE(core::Utf16ToUtf8(std::u16string(e.key) + u" : " + e.name));
    auto value = registry.ReadValue(e.root, e.key, e.name, e.view);
    ASSERT_TRUE(value.ok()) << value.code();
    EXPECT_EQ(value->type, e.value.type);
    EXPECT_EQ(value->AsString(), e.value.AsString());
    EXPECT_EQ(*value, e.value);
  }
}

void ExpectMissing(SandboxRegistry& registry, RegistryView view, const char16_t* key,
                   const char16_t* name) {
  EXPECT_EQ(registry.ReadValue(kHklm, key, name, view).code(), error::kFileNotFound)
      << core::Utf16ToUtf8(name);
}

RegistryValue Sz(const char16_t* text) {
  return RegistryValue::String(text);
}
RegistryValue Expand(const char16_t* text) {
  return RegistryValue::String(text, RegistryType::kExpandString);
}

class RegistryDefaultsTest : public ::testing::Test {
 protected:
  std::unique_ptr<SandboxRegistry> Seeded(const RegistryDefaults& defaults,
                                          const RegistryFacts& facts = {}) {
    auto registry = OpenRegistry(temp_.path() / "registry.db", facts);
    const Status seeded = SeedRegistryDefaults(*registry, defaults);
    EXPECT_TRUE(seeded) << core::Utf16ToUtf8(seeded.message());
    return registry;
  }
  TempFolder temp_;
};

TEST_F(RegistryDefaultsTest, Windows10x64HasItsValuesInBothViews) {
  auto registry = Seeded(AnnsMachine());
  ExpectValues(
      *registry,
      {
          {kHklm, k64, kNtVersion, u"ProductName", Sz(u"Windows 10 Enterprise")},
          {kHklm, k64, kNtVersion, u"CurrentVersion", Sz(u"6.3")},
          {kHklm, k64, kNtVersion, u"CurrentBuild", Sz(u"22631")},
          {kHklm, k64, kNtVersion, u"CurrentBuildNumber", Sz(u"22631")},
          {kHklm, k64, kNtVersion, u"CurrentMajorVersionNumber", RegistryValue::Dword(10)},
          {kHklm, k64, kNtVersion, u"CurrentMinorVersionNumber", RegistryValue::Dword(0)},
          {kHklm, k64, kNtVersion, u"UBR", RegistryValue::Dword(4037)},
          {kHklm, k64, kNtVersion, u"DisplayVersion", Sz(u"23H2")},
          {kHklm, k64, kNtVersion, u"EditionID", Sz(u"Enterprise")},
          {kHklm, k64, kNtVersion, u"InstallationType", Sz(u"Client")},
          {kHklm, k64, kNtVersion, u"RegisteredOwner", Sz(u"Ann Example")},
          {kHklm, k32, kNtVersion, u"RegisteredOrganization", Sz(u"Example Corp")},
          {kHklm, k64, kNtVersion, u"SystemRoot", Sz(u"D:\\Win")},
          // Each view sees its own program files folder.
          {kHklm, k64, kVersion, u"ProgramFilesDir", Sz(u"D:\\Apps")},
          {kHklm, k64, kVersion, u"CommonFilesDir", Sz(u"D:\\Apps\\Common Files")},
          {kHklm, k64, kVersion, u"ProgramFilesDir (x86)", Sz(u"D:\\Apps32")},
          {kHklm, k32, kVersion, u"ProgramFilesDir", Sz(u"D:\\Apps32")},
          {kHklm, k32, kVersion, u"CommonFilesDir", Sz(u"D:\\Apps32\\Common Files")},
          {kHklm, k32, kVersion, u"ProgramW6432Dir", Sz(u"D:\\Apps")},
          {kHklm, k32, kVersion, u"CommonW6432Dir", Sz(u"D:\\Apps\\Common Files")},
          {kHkcu, k64, kUserFolders, u"Personal", Sz(u"D:\\People\\ann\\Documents")},
          {kHkcu, k64, kUserFolders, u"Local AppData", Sz(u"D:\\People\\ann\\AppData\\Local")},
          {kHkcu, k64, kUserFolders, u"Programs",
           Sz(u"D:\\People\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs")},
          {kHkcu, k64, kUserUserFolders, u"AppData", Expand(u"%USERPROFILE%\\AppData\\Roaming")},
          {kHkcu, k64, kUserUserFolders, u"My Video", Expand(u"%USERPROFILE%\\Videos")},
          {kHklm, k64, kCommonFolders, u"Common AppData", Sz(u"D:\\Data")},
          {kHklm, k32, kCommonFolders, u"Common Documents", Sz(u"D:\\People\\Public\\Documents")},
          {kHklm, k64, kCommonFolders, u"Common Startup",
           Sz(u"D:\\Data\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")},
          {kHklm, k64, kEnvironment, u"ComSpec", Expand(u"%SystemRoot%\\system32\\cmd.exe")},
          {kHklm, k64, kEnvironment, u"PROCESSOR_ARCHITECTURE", Sz(u"AMD64")},
          {kHklm, k64, kEnvironment, u"NUMBER_OF_PROCESSORS", Sz(u"12")},
          {kHkcu, k64, u"Volatile Environment", u"HOMEPATH", Sz(u"\\People\\ann")},
          {kHklm, k64, u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
           u"ComputerName", Sz(u"ANN-PC")},
      });
  // The 32-bit copies are stored where the 64-bit view shows them.
  EXPECT_EQ(registry
                ->ReadValue(kHklm, u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion",
                            u"ProgramFilesDir", k64)
                ->AsString(),
            u"D:\\Apps32");
  for (RegistryView view : {k64, k32}) {
    EXPECT_THAT(*registry->EnumerateKeys(kHklm, kUninstall, view), ElementsAre());
  }
  EXPECT_TRUE(registry->KeyExists(kHkcu, u"Software\\Classes", k64));
  EXPECT_TRUE(registry->KeyExists(kHkcr, u"", k64));
  EXPECT_TRUE(registry->VerifyIntegrity());
}

TEST_F(RegistryDefaultsTest, Windows7On32BitHasOneViewAndNoNewerValues) {
  RegistryDefaults windows7 = AnnsMachine();
  windows7.major_version = 6;
  windows7.minor_version = 1;
  windows7.build = 7601;
  windows7.service_pack = u"Service Pack 1";
  windows7.product_name = u"Windows 7 Professional";
  RegistryFacts x86;
  x86.is_64bit_windows = false;
  auto registry = Seeded(windows7, x86);

  ExpectValues(*registry, {
                              {kHklm, k64, kNtVersion, u"CurrentVersion", Sz(u"6.1")},
                              {kHklm, k64, kNtVersion, u"CSDVersion", Sz(u"Service Pack 1")},
                              {kHklm, k32, kVersion, u"ProgramFilesDir", Sz(u"D:\\Apps")},
                              {kHklm, k64, kEnvironment, u"PROCESSOR_ARCHITECTURE", Sz(u"x86")},
                          });
  for (const char16_t* name : {u"CurrentMajorVersionNumber", u"UBR", u"DisplayVersion"}) {
    ExpectMissing(*registry, k64, kNtVersion, name);
  }
  for (const char16_t* name : {u"ProgramFilesDir (x86)", u"ProgramW6432Dir"}) {
    ExpectMissing(*registry, k64, kVersion, name);
  }
  EXPECT_FALSE(registry->KeyExists(kHklm, u"SOFTWARE\\WOW6432Node", k64));
}

TEST_F(RegistryDefaultsTest, SeedsOnceSoLaterChangesStay) {
  auto registry = Seeded(AnnsMachine());
  ASSERT_TRUE(registry->WriteValue(kHklm, kNtVersion, u"RegisteredOwner", Sz(u"Changed"), k64));
  ASSERT_TRUE(registry->DeleteKey(kHklm, kUninstall, k64));
  registry.reset();

  registry = Seeded(RegistryDefaults{});
  EXPECT_EQ(registry->ReadValue(kHklm, kNtVersion, u"RegisteredOwner", k64)->AsString(),
            u"Changed");
  EXPECT_FALSE(registry->KeyExists(kHklm, kUninstall, k64));
}

TEST_F(RegistryDefaultsTest, StandardUsersMachineIsSeededToo) {
  RegistryFacts user;
  user.machine_writable = false;
  auto registry = Seeded(AnnsMachine(), user);
  EXPECT_EQ(registry->ReadValue(kHklm, kNtVersion, u"RegisteredOwner", k64)->AsString(),
            u"Ann Example");
  EXPECT_EQ(registry->WriteValue(kHklm, kNtVersion, u"RegisteredOwner", Sz(u"x"), k64).code(),
            error::kAccessDenied);
}

}  // namespace
}  // namespace velkor::platform::sandbox
