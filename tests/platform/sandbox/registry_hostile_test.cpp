// Names and arguments a hostile or broken script could pass to the sandbox registry:
// each gets what Windows gives (or a clear error), never a crash or a wrong key.
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

constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kView = RegistryView::kDefault;

class RegistryHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = OpenRegistry(temp_.path() / "registry.db");
    ASSERT_TRUE(registry_->CreateKey(kHkcu, kKey, kView));
  }
  static constexpr std::u16string_view kKey = u"Software\\Hostile";
  std::u16string Key(std::u16string_view sub) const {
    return std::u16string(kKey) + u"\\" + std::u16string(sub);
  }

  TempFolder temp_;
  std::unique_ptr<SandboxRegistry> registry_;
};

// The Windows API takes null-terminated names, so a name ends at its first NUL.
TEST_F(RegistryHostileTest, NamesEndAtTheirFirstNul) {
  using namespace std::string_view_literals;
  ASSERT_TRUE(registry_->CreateKey(kHkcu, Key(u"a\0b\\c"sv), kView));
  EXPECT_THAT(*registry_->EnumerateKeys(kHkcu, kKey, kView), ElementsAre(u"a"));
  ASSERT_TRUE(registry_->WriteValue(kHkcu, kKey, u"v\0w"sv, RegistryValue::Dword(1), kView));
  EXPECT_THAT(*registry_->EnumerateValues(kHkcu, kKey, kView), ElementsAre(u"v"));
  EXPECT_TRUE(registry_->ReadValue(kHkcu, kKey, u"v\0other"sv, kView).ok());
  // A path that is empty up to its NUL names the root, which is never deleted.
  EXPECT_EQ(registry_->DeleteKey(kHkcu, u"\0Software"sv, kView).code(), error::kInvalidParameter);
  EXPECT_TRUE(registry_->KeyExists(kHkcu, kKey, kView));
}

// Names that mean something to SQL or to pattern matching are plain names; deleting
// one key touches no key that merely shares a prefix with it.
TEST_F(RegistryHostileTest, NamesThatLookLikeSqlOrPatternsArePlainNames) {
  const std::u16string names[] = {u"a", u"a%", u"a_", u"ab", u"%", u"_", u"'; DROP TABLE keys; --",
                                  u"a]"};
  for (const auto& name : names) {
    ASSERT_TRUE(registry_->CreateKey(kHkcu, Key(name) + u"\\child", kView));
    ASSERT_TRUE(registry_->WriteValue(kHkcu, Key(name), name, RegistryValue::String(name), kView));
  }
  ASSERT_TRUE(registry_->DeleteKey(kHkcu, Key(u"a"), kView));
  auto left = registry_->EnumerateKeys(kHkcu, kKey, kView);
  EXPECT_EQ(left->size(), std::size(names) - 1);
  for (const auto& name : names) {
    if (name == u"a") continue;
    EXPECT_EQ(registry_->ReadValue(kHkcu, Key(name), name, kView)->AsString(), name);
  }
  EXPECT_TRUE(registry_->VerifyIntegrity());
}

// Windows accepts any UTF-16 code units in names; a lossy conversion would merge these.
TEST_F(RegistryHostileTest, UnpairedSurrogatesStayDistinctNames) {
  const std::u16string names[] = {std::u16string(1, char16_t(0xD800)),
                                  std::u16string(1, char16_t(0xD801)),
                                  std::u16string(1, char16_t(0xDC00)), u"\uFFFD"};
  for (const auto& name : names) {
    ASSERT_TRUE(registry_->CreateKey(kHkcu, Key(name), kView));
    ASSERT_TRUE(registry_->WriteValue(kHkcu, kKey, name, RegistryValue::Binary("x"), kView));
  }
  EXPECT_THAT(*registry_->EnumerateKeys(kHkcu, kKey, kView),
              UnorderedElementsAre(names[0], names[1], names[2], names[3]));
  EXPECT_THAT(*registry_->EnumerateValues(kHkcu, kKey, kView),
              ElementsAre(names[0], names[1], names[2], names[3]));
}

TEST_F(RegistryHostileTest, RootsAreNeverDeleted) {
  for (auto root :
       {RegistryRoot::kClassesRoot, RegistryRoot::kCurrentUser, RegistryRoot::kLocalMachine,
        RegistryRoot::kUsers, RegistryRoot::kCurrentConfig}) {
    for (const char16_t* key : {u"", u"\\", u"\\\\\\"}) {
      EXPECT_EQ(registry_->DeleteKey(root, key, kView).code(), error::kInvalidParameter);
    }
  }
  EXPECT_TRUE(registry_->KeyExists(kHkcu, kKey, kView));
  EXPECT_TRUE(registry_->KeyExists(RegistryRoot::kClassesRoot, u"", kView));
}

TEST_F(RegistryHostileTest, KeysDeeperThanWindowsAllowsAreRefused) {
  std::u16string deep;
  for (int level = 0; level < 512 - 2; ++level) deep += u"\\d";  // kKey has two levels
  EXPECT_TRUE(registry_->CreateKey(kHkcu, std::u16string(kKey) + deep, kView));
  EXPECT_EQ(registry_->CreateKey(kHkcu, std::u16string(kKey) + deep + u"\\d", kView).code(),
            error::kInvalidParameter);
  EXPECT_TRUE(registry_->DeleteKey(kHkcu, Key(u"d"), kView));
  EXPECT_THAT(*registry_->EnumerateKeys(kHkcu, kKey, kView), ElementsAre());
}

TEST_F(RegistryHostileTest, UnknownRootIsAnErrorOnEveryCall) {
  const auto root = static_cast<RegistryRoot>(42);
  constexpr uint32_t kInvalidHandle = 6;
  EXPECT_FALSE(registry_->KeyExists(root, u"a", kView));
  EXPECT_EQ(registry_->CreateKey(root, u"a", kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->DeleteKey(root, u"a", kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->ReadValue(root, u"a", u"v", kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->WriteValue(root, u"a", u"v", {}, kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->DeleteValue(root, u"a", u"v", kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->EnumerateKeys(root, u"a", kView).code(), kInvalidHandle);
  EXPECT_EQ(registry_->EnumerateValues(root, u"a", kView).code(), kInvalidHandle);
}

// Types outside the enumeration (REG_DWORD_BIG_ENDIAN, REG_LINK, anything) are kept.
TEST_F(RegistryHostileTest, AnyTypeNumberIsKeptWithItsBytes) {
  for (uint32_t type : {0u, 5u, 6u, 0x12345678u, 0xFFFFFFFFu}) {
    const RegistryValue value{static_cast<RegistryType>(type), std::string("\0\xFF\x01", 3)};
    const std::u16string name = core::U16(std::to_string(type));
    ASSERT_TRUE(registry_->WriteValue(kHkcu, kKey, name, value, kView));
    EXPECT_EQ(*registry_->ReadValue(kHkcu, kKey, name, kView), value);
  }
}

TEST_F(RegistryHostileTest, ThousandsOfSubkeysStayListable) {
  ASSERT_TRUE(registry_->Transaction([&] {
    for (int i = 0; i < 5000; ++i)
      registry_->CreateKey(kHkcu, Key(core::U16(std::to_string(i))), kView);
    return Status::Ok();
  }));
  auto names = registry_->EnumerateKeys(kHkcu, kKey, kView);
  ASSERT_EQ(names->size(), 5000u);
  EXPECT_TRUE(std::is_sorted(names->begin(), names->end()));  // digits sort alike in any case
  ASSERT_TRUE(registry_->DeleteKey(kHkcu, kKey, kView));
  EXPECT_TRUE(registry_->VerifyIntegrity());
}

}  // namespace
}  // namespace velkor::platform::sandbox
