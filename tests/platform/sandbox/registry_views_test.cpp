// How the sandbox registry maps roots and views onto its two stored hives, as Windows
// does: HKCU and HKCR are aliases, the 32-bit view of 64-bit Windows is redirected into
// WOW6432Node, and a standard user cannot change the machine's keys.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "platform/sandbox/registry_test_support.h"
#include "platform/sandbox/sandbox_registry.h"

namespace velkor::platform::sandbox {
namespace {

using test_support::OpenRegistry;
using test_support::TempFolder;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr auto kHkcr = RegistryRoot::kClassesRoot;
constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kHklm = RegistryRoot::kLocalMachine;
constexpr auto kHku = RegistryRoot::kUsers;
constexpr auto kHkcc = RegistryRoot::kCurrentConfig;
constexpr auto k32 = RegistryView::kView32;
constexpr auto k64 = RegistryView::kView64;
constexpr auto kDefault = RegistryView::kDefault;

class RegistryViewsTest : public ::testing::Test {
 protected:
  std::unique_ptr<SandboxRegistry> Open(const RegistryFacts& facts = {}) {
    return OpenRegistry(temp_.path() / "registry.db", facts);
  }
  static std::u16string Text(SandboxRegistry& registry, RegistryRoot root, std::u16string_view key,
                             std::u16string_view name, RegistryView view = kDefault) {
    auto value = registry.ReadValue(root, key, name, view);
    return value ? value->AsString() : u"<" + core::U16(std::to_string(value.code())) + u">";
  }
  TempFolder temp_;
};

TEST_F(RegistryViewsTest, CurrentUserIsTheUsersKeyOfItsSid) {
  RegistryFacts ann;
  ann.user_sid = u"S-1-5-21-1-2-3-1001";
  auto registry = Open(ann);
  ASSERT_TRUE(registry->CreateKey(kHkcu, u"Software\\Vendor", kDefault));
  registry->WriteValue(kHkcu, u"Software\\Vendor", u"who", RegistryValue::String(u"ann"), kDefault);
  EXPECT_EQ(Text(*registry, kHku, u"S-1-5-21-1-2-3-1001\\Software\\Vendor", u"who"), u"ann");
  registry.reset();

  RegistryFacts bob;
  bob.user_sid = u"S-1-5-21-1-2-3-1002";
  registry = Open(bob);
  EXPECT_TRUE(registry->KeyExists(kHkcu, u"", kDefault));
  EXPECT_FALSE(registry->KeyExists(kHkcu, u"Software\\Vendor", kDefault));
  EXPECT_THAT(*registry->EnumerateKeys(kHku, u"", kDefault),
              UnorderedElementsAre(u"S-1-5-21-1-2-3-1001", u"S-1-5-21-1-2-3-1002"));
}

TEST_F(RegistryViewsTest, CurrentConfigIsTheCurrentHardwareProfile) {
  auto registry = Open();
  EXPECT_TRUE(registry->KeyExists(kHkcc, u"", kDefault));
  ASSERT_TRUE(registry->CreateKey(kHkcc, u"Software\\Fonts", kDefault));
  EXPECT_TRUE(registry->KeyExists(
      kHklm, u"SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", kDefault));
}

TEST_F(RegistryViewsTest, ClassesRootShowsTheUsersClassesOverTheMachines) {
  auto registry = Open();
  const auto write = [&](RegistryRoot root, std::u16string key, const char16_t* text) {
    ASSERT_TRUE(registry->CreateKey(root, key, kDefault));
    ASSERT_TRUE(registry->WriteValue(root, key, u"", RegistryValue::String(text), kDefault));
  };
  write(kHklm, u"SOFTWARE\\Classes\\.both", u"machine");
  write(kHklm, u"SOFTWARE\\Classes\\.machine", u"machine");
  write(kHkcu, u"Software\\Classes\\.BOTH", u"user");
  write(kHkcu, u"Software\\Classes\\.user", u"user");

  EXPECT_EQ(Text(*registry, kHkcr, u".both", u""), u"user");
  EXPECT_EQ(Text(*registry, kHkcr, u".machine", u""), u"machine");
  EXPECT_THAT(*registry->EnumerateKeys(kHkcr, u"", kDefault),
              ElementsAre(u".BOTH", u".machine", u".user"));

  // Changes go to the key that is shown; new keys go to the machine's classes.
  registry->WriteValue(kHkcr, u".both", u"x", RegistryValue::Dword(1), kDefault);
  EXPECT_TRUE(registry->ReadValue(kHkcu, u"Software\\Classes\\.both", u"x", kDefault).ok());
  ASSERT_TRUE(registry->CreateKey(kHkcr, u".new", kDefault));
  EXPECT_TRUE(registry->KeyExists(kHklm, u"SOFTWARE\\Classes\\.new", kDefault));
  EXPECT_FALSE(registry->KeyExists(kHkcu, u"Software\\Classes\\.new", kDefault));

  ASSERT_TRUE(registry->DeleteKey(kHkcr, u".both", kDefault));
  EXPECT_EQ(Text(*registry, kHkcr, u".both", u""), u"machine");
}

// Each key is written through the 32-bit view of 64-bit Windows and looked for where
// the 64-bit view shows it.
TEST_F(RegistryViewsTest, The32BitViewIsRedirectedWhereWindowsRedirectsIt) {
  struct Case {
    RegistryRoot root;
    const char16_t* written;
    RegistryRoot found_root;
    const char16_t* found;
    bool redirected = true;  // not visible in the 64-bit view under the written path
  };
  const Case cases[] = {
      {kHklm, u"SOFTWARE\\Vendor\\App", kHklm, u"SOFTWARE\\WOW6432Node\\Vendor\\App"},
      {kHklm, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App", kHklm,
       u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"},
      {kHklm, u"SOFTWARE\\Wow6432Node\\Twice", kHklm, u"SOFTWARE\\WOW6432Node\\Twice", false},
      {kHklm, u"SOFTWARE\\Classes\\.ext", kHklm, u"SOFTWARE\\Classes\\.ext", false},
      {kHklm, u"SOFTWARE\\Classes\\CLSID\\{1}", kHklm,
       u"SOFTWARE\\Classes\\WOW6432Node\\CLSID\\{1}"},
      {kHklm, u"SOFTWARE\\Policies\\Vendor", kHklm, u"SOFTWARE\\Policies\\Vendor", false},
      {kHklm, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", kHklm,
       u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", false},
      {kHklm, u"SYSTEM\\CurrentControlSet\\Services\\Svc", kHklm,
       u"SYSTEM\\CurrentControlSet\\Services\\Svc", false},
      {kHkcu, u"Software\\Vendor", kHkcu, u"Software\\Vendor", false},
      {kHkcu, u"Software\\Classes\\Interface\\{2}", kHkcu,
       u"Software\\Classes\\WOW6432Node\\Interface\\{2}"},
      {kHkcr, u"CLSID\\{3}", kHklm, u"SOFTWARE\\Classes\\WOW6432Node\\CLSID\\{3}"},
      {kHkcr, u".ext2", kHklm, u"SOFTWARE\\Classes\\.ext2", false},
  };
  auto registry = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.written));
    ASSERT_TRUE(registry->CreateKey(c.root, c.written, k32));
    ASSERT_TRUE(
        registry->WriteValue(c.root, c.written, u"v", RegistryValue::String(c.written), k32));
    EXPECT_EQ(Text(*registry, c.found_root, c.found, u"v", k64), c.written);
    EXPECT_EQ(registry->KeyExists(c.root, c.written, k64), !c.redirected);
  }
}

TEST_F(RegistryViewsTest, DefaultViewIsTheViewOfTheProcess) {
  RegistryFacts wow64;
  wow64.wow64_process = true;
  auto registry = Open(wow64);
  ASSERT_TRUE(registry->CreateKey(kHklm, u"SOFTWARE\\FromWow64", kDefault));
  EXPECT_TRUE(registry->KeyExists(kHklm, u"SOFTWARE\\WOW6432Node\\FromWow64", k64));
  registry.reset();

  registry = Open();  // a 64-bit process
  ASSERT_TRUE(registry->CreateKey(kHklm, u"SOFTWARE\\From64", kDefault));
  EXPECT_TRUE(registry->KeyExists(kHklm, u"SOFTWARE\\From64", k64));
  EXPECT_FALSE(registry->KeyExists(kHklm, u"SOFTWARE\\From64", k32));
}

TEST_F(RegistryViewsTest, ThirtyTwoBitWindowsHasOneView) {
  RegistryFacts x86;
  x86.is_64bit_windows = false;
  auto registry = Open(x86);
  ASSERT_TRUE(registry->CreateKey(kHklm, u"SOFTWARE\\Vendor", k32));
  EXPECT_TRUE(registry->KeyExists(kHklm, u"SOFTWARE\\Vendor", k64));
  EXPECT_TRUE(registry->KeyExists(kHklm, u"SOFTWARE\\Vendor", kDefault));
  EXPECT_FALSE(registry->KeyExists(kHklm, u"SOFTWARE\\WOW6432Node", k64));
}

TEST_F(RegistryViewsTest, StandardUserReadsButCannotChangeTheMachine) {
  RegistryFacts user;
  user.machine_writable = false;
  auto registry = Open(user);
  ASSERT_TRUE(registry->RunOnce(u"machine setup", [&] {
    registry->CreateKey(kHklm, u"SOFTWARE\\Vendor", kDefault);
    registry->CreateKey(kHklm, u"SOFTWARE\\Classes\\.machine", kDefault);
    return registry->WriteValue(kHklm, u"SOFTWARE\\Vendor", u"v", RegistryValue::Dword(1),
                                kDefault);
  }));

  EXPECT_EQ(registry->ReadValue(kHklm, u"SOFTWARE\\Vendor", u"v", kDefault)->AsDword(), 1u);
  EXPECT_TRUE(registry->CreateKey(kHklm, u"SOFTWARE\\Vendor", kDefault));  // opening only
  const Status denied[] = {
      registry->CreateKey(kHklm, u"SOFTWARE\\Vendor\\New", kDefault),
      registry->WriteValue(kHklm, u"SOFTWARE\\Vendor", u"v", RegistryValue::Dword(2), kDefault),
      registry->DeleteValue(kHklm, u"SOFTWARE\\Vendor", u"v", kDefault),
      registry->DeleteKey(kHklm, u"SOFTWARE\\Vendor", kDefault),
      registry->CreateKey(kHku, u".DEFAULT\\Software", kDefault),
      registry->WriteValue(kHkcr, u".machine", u"", RegistryValue::String(u"x"), kDefault),
  };
  for (const Status& status : denied) EXPECT_EQ(status.code(), error::kAccessDenied);
  EXPECT_EQ(registry->ReadValue(kHklm, u"SOFTWARE\\Vendor", u"v", kDefault)->AsDword(), 1u);

  EXPECT_TRUE(registry->CreateKey(kHkcu, u"Software\\Vendor", kDefault));
  EXPECT_TRUE(registry->CreateKey(kHkcu, u"Software\\Classes\\.mine", kDefault));
  EXPECT_TRUE(registry->WriteValue(kHkcr, u".mine", u"", RegistryValue::String(u"x"), kDefault));
}

// The orders Windows itself shows: subkeys by their upper-cased names (so "_" sorts
// after letters), values in the order they were created.
TEST_F(RegistryViewsTest, ListsInTheOrderWindowsShows) {
  auto registry = Open();
  const std::u16string key = u"Software\\Order";
  registry->CreateKey(kHkcu, key, kDefault);
  for (const char16_t* name : {u"gamma", u"_under", u"Beta", u"alpha", u"Zed"}) {
    registry->CreateKey(kHkcu, key + u"\\" + name, kDefault);
  }
  EXPECT_THAT(*registry->EnumerateKeys(kHkcu, key, kDefault),
              ElementsAre(u"alpha", u"Beta", u"gamma", u"Zed", u"_under"));

  for (const char16_t* name : {u"zv", u"Av", u"mv", u""}) {
    registry->WriteValue(kHkcu, key, name, RegistryValue::Dword(1), kDefault);
  }
  registry->WriteValue(kHkcu, key, u"AV", RegistryValue::Dword(2), kDefault);  // stays in place
  registry->DeleteValue(kHkcu, key, u"zv", kDefault);
  registry->WriteValue(kHkcu, key, u"zv", RegistryValue::Dword(3), kDefault);  // now last
  EXPECT_THAT(*registry->EnumerateValues(kHkcu, key, kDefault),
              ElementsAre(u"Av", u"mv", u"", u"zv"));
}

}  // namespace
}  // namespace velkor::platform::sandbox
