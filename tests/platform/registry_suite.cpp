// The registry contract both backends keep: the sandbox natively, the real Windows
// API under Wine. Every expectation here is what the Windows registry API does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/guid.h"
#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::testing {
namespace {

using platform::Registry;
using platform::RegistryRoot;
using platform::RegistryType;
using platform::RegistryValue;
using platform::RegistryView;
using platform::Status;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
namespace error = platform::error;

constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kHklm = RegistryRoot::kLocalMachine;
constexpr auto kView = RegistryView::kDefault;

std::string Narrow(std::u16string_view text) {
  return core::Utf16ToUtf8(text);
}

class RegistrySuite : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeTestBackend();
    ASSERT_TRUE(backend_.platform);
    key_ = backend_.scratch_key;
    while (!key_.empty() && key_.back() == u'\\') key_.pop_back();
    ASSERT_TRUE(registry().KeyExists(kHkcu, key_, kView)) << backend_.name;
  }
  void TearDown() override { DestroyTestBackend(backend_); }

  Registry& registry() { return backend_.platform->registry(); }
  std::u16string Key(std::u16string_view sub) const { return key_ + u"\\" + std::u16string(sub); }

  TestBackend backend_;
  std::u16string key_;  // the scratch key under HKEY_CURRENT_USER
};

TEST_F(RegistrySuite, CreateKeyMakesMissingParentsAndAcceptsExistingKeys) {
  ASSERT_TRUE(registry().CreateKey(kHkcu, Key(u"a\\b\\c"), kView));
  for (const char16_t* key : {u"a", u"a\\b", u"a\\b\\c"}) {
    EXPECT_TRUE(registry().KeyExists(kHkcu, Key(key), kView)) << Narrow(key);
  }
  EXPECT_TRUE(registry().CreateKey(kHkcu, Key(u"a\\b"), kView));
  EXPECT_FALSE(registry().KeyExists(kHkcu, Key(u"a\\x"), kView));
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, Key(u"a"), kView), ElementsAre(u"b"));

  // Separators: a trailing or doubled backslash addresses the same key; a leading one
  // is a bad path.
  EXPECT_TRUE(registry().KeyExists(kHkcu, Key(u"a\\b\\"), kView));
  EXPECT_TRUE(registry().KeyExists(kHkcu, Key(u"a\\\\b"), kView));
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, Key(u"a"), kView), ElementsAre(u"b"));
  EXPECT_EQ(registry().CreateKey(kHkcu, u"\\" + Key(u"x"), kView).code(), error::kBadPathname);
}

TEST_F(RegistrySuite, MissingKeysAndValuesAreFileNotFound) {
  const std::u16string missing = Key(u"missing");
  const RegistryValue one = RegistryValue::Dword(1);
  const std::pair<const char*, std::function<uint32_t()>> calls[] = {
      {"read from a missing key",
       [&] { return registry().ReadValue(kHkcu, missing, u"v", kView).code(); }},
      {"read a missing value",
       [&] { return registry().ReadValue(kHkcu, key_, u"v", kView).code(); }},
      {"read the unset default value",
       [&] { return registry().ReadValue(kHkcu, key_, u"", kView).code(); }},
      {"write to a missing key",
       [&] { return registry().WriteValue(kHkcu, missing, u"v", one, kView).code(); }},
      {"delete a missing value",
       [&] { return registry().DeleteValue(kHkcu, key_, u"v", kView).code(); }},
      {"delete a value of a missing key",
       [&] { return registry().DeleteValue(kHkcu, missing, u"v", kView).code(); }},
      {"delete a missing key", [&] { return registry().DeleteKey(kHkcu, missing, kView).code(); }},
      {"delete below a missing key",
       [&] { return registry().DeleteKey(kHkcu, missing + u"\\x", kView).code(); }},
      {"list keys of a missing key",
       [&] { return registry().EnumerateKeys(kHkcu, missing, kView).code(); }},
      {"list values of a missing key",
       [&] { return registry().EnumerateValues(kHkcu, missing, kView).code(); }},
  };
  for (const auto& [what, call] : calls) EXPECT_EQ(call(), error::kFileNotFound) << what;
  EXPECT_FALSE(registry().KeyExists(kHkcu, missing, kView));
}

TEST_F(RegistrySuite, ValuesKeepTheirTypeAndBytes) {
  std::string large(1 << 20, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 251);
  const std::pair<std::u16string, RegistryValue> values[] = {
      {u"", RegistryValue::String(u"the default value")},
      {u"text", RegistryValue::String(u"Gr\u00FC\u00DFe \U0001F600 \u65E5\u672C")},
      {u"empty text", RegistryValue::String(u"")},
      {u"expandable", RegistryValue::String(u"%TEMP%\\x", RegistryType::kExpandString)},
      {u"dword", RegistryValue::Dword(0xDEADBEEF)},
      {u"qword", RegistryValue::Qword(0x0123456789ABCDEFull)},
      {u"binary", RegistryValue::Binary(std::string("\0\x01\xFF\x80 x", 6))},
      {u"empty binary", RegistryValue::Binary("")},
      {u"lines", RegistryValue::MultiString({u"one", u"two", u"three"})},
      {u"short dword", RegistryValue{RegistryType::kDword, std::string("\x05\x00\x00", 3)}},
      {u"large", RegistryValue::Binary(large)},
  };
  std::vector<std::u16string> names;
  for (const auto& [name, value] : values) {
    ASSERT_TRUE(registry().WriteValue(kHkcu, key_, name, value, kView)) << Narrow(name);
    names.push_back(name);
  }
  for (const auto& [name, value] : values) {
    auto read = registry().ReadValue(kHkcu, key_, name, kView);
    ASSERT_TRUE(read.ok()) << Narrow(name);
    EXPECT_EQ(read->type, value.type) << Narrow(name);
    EXPECT_TRUE(read->data == value.data) << Narrow(name);  // no 1 MB dumps on failure
  }
  EXPECT_THAT(*registry().EnumerateValues(kHkcu, key_, kView), UnorderedElementsAreArray(names));

  // Writing again replaces type and data.
  ASSERT_TRUE(
      registry().WriteValue(kHkcu, key_, u"dword", RegistryValue::String(u"now text"), kView));
  EXPECT_EQ(*registry().ReadValue(kHkcu, key_, u"dword", kView),
            RegistryValue::String(u"now text"));
}

TEST_F(RegistrySuite, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_TRUE(registry().CreateKey(kHkcu, Key(u"MixedCase"), kView));
  ASSERT_TRUE(registry().CreateKey(kHkcu, Key(u"MIXEDCASE\\Child"), kView));
  ASSERT_TRUE(registry().CreateKey(kHkcu, Key(u"\u00C4rger"), kView));
  ASSERT_TRUE(registry().CreateKey(kHkcu, Key(u"\u0394elta"), kView));
  EXPECT_TRUE(registry().KeyExists(kHkcu, Key(u"\u00E4RGER"), kView));
  EXPECT_TRUE(registry().KeyExists(kHkcu, Key(u"\u03B4ELTA"), kView));
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, key_, kView),
              UnorderedElementsAre(u"MixedCase", u"\u00C4rger", u"\u0394elta"));
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, Key(u"mixedcase"), kView), ElementsAre(u"Child"));

  ASSERT_TRUE(registry().WriteValue(kHkcu, key_, u"Value", RegistryValue::Dword(1), kView));
  ASSERT_TRUE(registry().WriteValue(kHkcu, key_, u"VALUE", RegistryValue::String(u"2nd"), kView));
  EXPECT_THAT(*registry().EnumerateValues(kHkcu, key_, kView), ElementsAre(u"Value"));
  EXPECT_EQ(registry().ReadValue(kHkcu, key_, u"vAlUe", kView)->AsString(), u"2nd");
}

TEST_F(RegistrySuite, SubkeysAreListedInNameOrderIgnoringCase) {
  for (const char16_t* name : {u"gamma", u"Beta", u"alpha", u"a b", u"a/b", u"Zed"}) {
    ASSERT_TRUE(registry().CreateKey(kHkcu, Key(name), kView));
  }
  // A slash is part of a key's name, not a separator.
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, key_, kView),
              ElementsAre(u"a b", u"a/b", u"alpha", u"Beta", u"gamma", u"Zed"));
}

TEST_F(RegistrySuite, DeleteKeyRemovesTheWholeTreeAndNothingElse) {
  const std::u16string tree[] = {u"t", u"t\\a", u"t\\a\\b", u"t\\a\\b\\c", u"t\\d"};
  for (const auto& key : tree) {
    ASSERT_TRUE(registry().CreateKey(kHkcu, Key(key), kView));
    ASSERT_TRUE(registry().WriteValue(kHkcu, Key(key), u"v", RegistryValue::String(key), kView));
  }
  // Neighbours that share a prefix with the deleted key.
  const char16_t* neighbours[] = {u"t b", u"tb", u"t_b", u"t\u00E4", u"u\\t"};
  for (const char16_t* key : neighbours) ASSERT_TRUE(registry().CreateKey(kHkcu, Key(key), kView));
  ASSERT_TRUE(registry().WriteValue(kHkcu, key_, u"t", RegistryValue::Dword(1), kView));

  ASSERT_TRUE(registry().DeleteKey(kHkcu, Key(u"T"), kView));
  for (const auto& key : tree)
    EXPECT_FALSE(registry().KeyExists(kHkcu, Key(key), kView)) << Narrow(key);
  for (const char16_t* key : neighbours) {
    EXPECT_TRUE(registry().KeyExists(kHkcu, Key(key), kView)) << Narrow(key);
  }
  EXPECT_TRUE(registry().ReadValue(kHkcu, key_, u"t", kView).ok());
  EXPECT_EQ(registry().DeleteKey(kHkcu, Key(u"t"), kView).code(), error::kFileNotFound);
}

TEST_F(RegistrySuite, DeleteValueRemovesOnlyThatValue) {
  for (const char16_t* name : {u"", u"a", u"A b", u"ab"}) {
    ASSERT_TRUE(registry().WriteValue(kHkcu, key_, name, RegistryValue::Dword(1), kView));
  }
  ASSERT_TRUE(registry().DeleteValue(kHkcu, key_, u"A", kView));
  ASSERT_TRUE(registry().DeleteValue(kHkcu, key_, u"", kView));
  EXPECT_THAT(*registry().EnumerateValues(kHkcu, key_, kView), UnorderedElementsAre(u"A b", u"ab"));
  EXPECT_EQ(registry().ReadValue(kHkcu, key_, u"", kView).code(), error::kFileNotFound);
  EXPECT_EQ(registry().DeleteValue(kHkcu, key_, u"a", kView).code(), error::kFileNotFound);
}

TEST_F(RegistrySuite, ValueNamesMayHoldBackslashesAndSpaces) {
  const char16_t* names[] = {u"a\\b\\c", u"\\", u" x ", u"x"};
  for (const char16_t* name : names) {
    ASSERT_TRUE(registry().WriteValue(kHkcu, key_, name, RegistryValue::String(name), kView));
  }
  for (const char16_t* name : names) {
    EXPECT_EQ(registry().ReadValue(kHkcu, key_, name, kView)->AsString(), name) << Narrow(name);
  }
  EXPECT_THAT(*registry().EnumerateKeys(kHkcu, key_, kView), IsEmpty());
}

TEST_F(RegistrySuite, NameLengthsFollowWindowsLimits) {
  EXPECT_TRUE(registry().CreateKey(kHkcu, Key(std::u16string(255, u'k')), kView));
  EXPECT_EQ(registry().CreateKey(kHkcu, Key(std::u16string(300, u'k')), kView).code(),
            error::kInvalidParameter);
  const RegistryValue one = RegistryValue::Dword(1);
  EXPECT_TRUE(registry().WriteValue(kHkcu, key_, std::u16string(16383, u'v'), one, kView));
  EXPECT_TRUE(registry().ReadValue(kHkcu, key_, std::u16string(16383, u'V'), kView).ok());
  EXPECT_EQ(registry().WriteValue(kHkcu, key_, std::u16string(16384, u'v'), one, kView).code(),
            error::kInvalidParameter);
}

TEST_F(RegistrySuite, ConcurrentCallersLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 20;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      const std::u16string own = Key(u"thread" + core::U16(std::to_string(t)));
      registry().CreateKey(kHkcu, own, kView);
      for (int i = 0; i < kWrites; ++i) {
        const std::u16string name = core::U16(std::to_string(t * 1000 + i));
        EXPECT_TRUE(registry().WriteValue(kHkcu, own, name, RegistryValue::Dword(i), kView));
        EXPECT_TRUE(registry().WriteValue(kHkcu, key_, name, RegistryValue::Dword(i), kView));
        registry().CreateKey(kHkcu, own + u"\\churn\\deep", kView);
        EXPECT_TRUE(registry().DeleteKey(kHkcu, own + u"\\churn", kView));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(registry().EnumerateValues(kHkcu, key_, kView)->size(), size_t{kThreads * kWrites});
  for (int t = 0; t < kThreads; ++t) {
    const std::u16string own = Key(u"thread" + core::U16(std::to_string(t)));
    EXPECT_EQ(registry().EnumerateValues(kHkcu, own, kView)->size(), size_t{kWrites});
    EXPECT_THAT(*registry().EnumerateKeys(kHkcu, own, kView), IsEmpty());
  }
}

// The 32-bit and 64-bit views of 64-bit Windows, on a scratch key of its own under
// HKLM\Software\VelkorTest (a key Windows redirects).
class RegistryViewSuite : public RegistrySuite {
 protected:
  static constexpr char16_t kParent[] = u"Software\\VelkorTest";

  void SetUp() override {
    RegistrySuite::SetUp();
    if (HasFatalFailure()) return;
    if (!backend_.platform->system().Is64BitWindows()) GTEST_SKIP() << "one view only";
    const auto random = backend_.platform->system().RandomBytes();
    machine_key_ =
        std::u16string(kParent) + u"\\" + core::GuidText(core::GuidFromRandomBytes(random));
    for (RegistryView view : {RegistryView::kView64, RegistryView::kView32}) {
      const Status created = registry().CreateKey(kHklm, machine_key_, view);
      if (created.code() == error::kAccessDenied) GTEST_SKIP() << "needs an administrator";
      ASSERT_TRUE(created) << created.code();
    }
  }
  void TearDown() override {
    if (backend_.platform && !machine_key_.empty()) {
      for (RegistryView view : {RegistryView::kView64, RegistryView::kView32}) {
        registry().DeleteKey(kHklm, machine_key_, view);
        auto left = registry().EnumerateKeys(kHklm, kParent, view);
        if (left && left->empty()) registry().DeleteKey(kHklm, kParent, view);
      }
    }
    RegistrySuite::TearDown();
  }

  // Where the 64-bit view shows a key of the 32-bit view.
  std::u16string Wow64Path(std::u16string_view key) const {
    return u"Software\\Wow6432Node" + std::u16string(key.substr(key.find(u'\\')));
  }
  std::u16string MachineKey(std::u16string_view sub) const {
    return machine_key_ + u"\\" + std::u16string(sub);
  }

  std::u16string machine_key_;
};

TEST_F(RegistryViewSuite, The32BitViewIsStoredUnderWow6432Node) {
  constexpr auto k32 = RegistryView::kView32;
  constexpr auto k64 = RegistryView::kView64;
  const std::u16string key = MachineKey(u"sub");
  ASSERT_TRUE(registry().CreateKey(kHklm, key, k32));
  ASSERT_TRUE(registry().WriteValue(kHklm, key, u"v", RegistryValue::String(u"32"), k32));

  EXPECT_EQ(registry().ReadValue(kHklm, Wow64Path(key), u"v", k64)->AsString(), u"32");
  EXPECT_FALSE(registry().KeyExists(kHklm, key, k64));

  // The same path in each view is a key of its own.
  ASSERT_TRUE(registry().CreateKey(kHklm, key, k64));
  ASSERT_TRUE(registry().WriteValue(kHklm, key, u"v", RegistryValue::String(u"64"), k64));
  EXPECT_EQ(registry().ReadValue(kHklm, key, u"v", k32)->AsString(), u"32");
  EXPECT_EQ(registry().ReadValue(kHklm, key, u"v", k64)->AsString(), u"64");

  ASSERT_TRUE(registry().DeleteKey(kHklm, key, k32));
  EXPECT_FALSE(registry().KeyExists(kHklm, key, k32));
  EXPECT_TRUE(registry().KeyExists(kHklm, key, k64));
}

TEST_F(RegistryViewSuite, DefaultViewIsTheProcessView) {
  const bool wow64 = backend_.platform->system().IsWow64Process();
  const RegistryView own = wow64 ? RegistryView::kView32 : RegistryView::kView64;
  const RegistryView other = wow64 ? RegistryView::kView64 : RegistryView::kView32;
  ASSERT_TRUE(registry().CreateKey(kHklm, MachineKey(u"default"), kView));
  EXPECT_TRUE(registry().KeyExists(kHklm, MachineKey(u"default"), own));
  EXPECT_FALSE(registry().KeyExists(kHklm, MachineKey(u"default"), other));
}

}  // namespace
}  // namespace velkor::testing
