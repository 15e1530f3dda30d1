// The Environment and Process contracts, run against both backends.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::testing {
namespace {

using platform::Environment;
namespace shell_folder = platform::shell_folder;

class EnvironmentSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeTestBackend();
    ASSERT_NE(backend_.platform, nullptr) << "the backend could not be created";
    // A name no real environment has, so tests never disturb or depend on others.
    name_ = u"VELKOR_TEST_" + backend_.scratch_key.substr(backend_.scratch_key.size() - 13, 12);
  }
  void TearDown() override {
    if (backend_.platform) environment().Remove(name_);
    DestroyTestBackend(backend_);
  }

  Environment& environment() { return backend_.platform->environment(); }

  TestBackend backend_;
  std::u16string name_;
};

TEST_F(EnvironmentSuite, VariablesAreSetReadAndRemovedIgnoringCase) {
  EXPECT_FALSE(environment().Get(name_).has_value());
  ASSERT_TRUE(environment().Set(name_, u"one").ok());
  EXPECT_EQ(environment().Get(core::Lower(name_)).value_or(u""), u"one");
  ASSERT_TRUE(environment().Set(core::Lower(name_), u"two").ok());
  EXPECT_EQ(environment().Get(name_).value_or(u""), u"two");

  ASSERT_TRUE(environment().Set(name_, u"").ok());
  ASSERT_TRUE(environment().Get(name_).has_value()) << "an empty value is still a value";
  EXPECT_EQ(*environment().Get(name_), u"");

  ASSERT_TRUE(environment().Remove(name_).ok());
  EXPECT_FALSE(environment().Get(name_).has_value());
  EXPECT_FALSE(environment().Set(u"A=B", u"x").ok());
}

TEST_F(EnvironmentSuite, ExpandReplacesDefinedNamesOnly) {
  ASSERT_TRUE(environment().Set(name_, u"value").ok());
  const std::u16string ref = u"%" + name_ + u"%";
  const std::u16string undefined = u"%VELKOR_UNDEFINED_NAME_X%";
  struct Case {
    std::u16string text;
    std::u16string expanded;
  };
  const Case cases[] = {
      {ref, u"value"},
      {u"a" + ref + u"b" + ref, u"avaluebvalue"},
      {u"%" + core::Lower(name_) + u"%", u"value"},
      {undefined, undefined},
      {u"100%", u"100%"},
      {u"%%", u"%%"},
      {u"no references", u"no references"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(environment().Expand(c.text), c.expanded) << core::Utf16ToUtf8(c.text);
  }
}

TEST_F(EnvironmentSuite, StandardVariablesAgreeWithTheSystem) {
  auto& system = backend_.platform->system();
  std::u16string windows = system.WindowsFolder();
  windows.pop_back();
  EXPECT_TRUE(core::EqualIgnoreCase(environment().Get(u"SystemRoot").value_or(u""), windows));
  EXPECT_TRUE(core::EqualIgnoreCase(environment().Get(u"windir").value_or(u""), windows));
  EXPECT_TRUE(core::EqualIgnoreCase(environment().Expand(u"%SYSTEMROOT%\\x"), windows + u"\\x"));
  EXPECT_TRUE(environment().Get(u"TEMP").has_value());
  EXPECT_TRUE(core::EqualIgnoreCase(environment().Get(u"USERPROFILE").value_or(u""),
                                    system.ShellFolder(shell_folder::kProfile).value_or(u"?")));
}

TEST_F(EnvironmentSuite, StringsListEveryVariableOnceAsNameEqualsValue) {
  ASSERT_TRUE(environment().Set(name_, u"a=b").ok());
  const std::vector<std::u16string> strings = environment().Strings();
  EXPECT_EQ(std::count(strings.begin(), strings.end(), name_ + u"=a=b"), 1);
  const std::u16string windir = u"windir=" + environment().Get(u"windir").value_or(u"?");
  EXPECT_TRUE(std::any_of(strings.begin(), strings.end(), [&](const std::u16string& s) {
    return core::EqualIgnoreCase(s, windir);
  }));

  ASSERT_TRUE(environment().Remove(name_).ok());
  const std::vector<std::u16string> after = environment().Strings();
  EXPECT_EQ(std::count(after.begin(), after.end(), name_ + u"=a=b"), 0);
}

class ProcessSuite : public EnvironmentSuite {};

TEST_F(ProcessSuite, CommandLineAndArgumentsDescribeTheEngine) {
  auto& process = backend_.platform->process();
  const std::u16string engine = process.EngineFilePath();
  ASSERT_GE(engine.size(), 4u);
  EXPECT_EQ(engine[1], u':');
  EXPECT_TRUE(core::EndsWithIgnoreCase(engine, u".exe"));
  EXPECT_FALSE(process.CommandLine().empty());
  const std::vector<std::u16string> arguments = process.Arguments();
  ASSERT_FALSE(arguments.empty());
  EXPECT_FALSE(arguments[0].empty());
}

}  // namespace
}  // namespace velkor::testing
