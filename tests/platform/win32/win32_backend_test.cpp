// What only the real backend can be checked for: its answers agree with what the system
// says through other doors (environment, registry), paths beyond MAX_PATH work in the
// "\\?\" form, and failures carry the system's own message.
#include <gtest/gtest.h>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::testing {
namespace {

using platform::RegistryRoot;
using platform::RegistryView;

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override { backend_ = MakeTestBackend(); }
  void TearDown() override { DestroyTestBackend(backend_); }

  platform::Platform& platform() { return *backend_.platform; }
  std::u16string Env(std::u16string_view name) {
    return platform().environment().Get(name).value_or(u"");
  }

  TestBackend backend_;
};

std::string Narrow(std::u16string_view text) {
  return core::Utf16ToUtf8(text);
}

bool SameText(std::u16string_view a, std::u16string_view b) {
  return core::EqualIgnoreCase(a, b);
}

TEST_F(Win32BackendTest, FoldersAgreeWithTheEnvironment) {
  auto& system = platform().system();
  const std::u16string windows = system.WindowsFolder();
  EXPECT_TRUE(SameText(system.SystemFolder(), windows + u"system32\\"));
  EXPECT_TRUE(SameText(system.SystemWow64Folder(),
                       system.Is64BitWindows() ? windows + u"SysWOW64\\" : system.SystemFolder()));
  const struct {
    int csidl;
    std::u16string variable;
  } cases[] = {
      {platform::shell_folder::kProgramFiles, u"ProgramFiles"},
      {platform::shell_folder::kAppData, u"APPDATA"},
      {platform::shell_folder::kLocalAppData, u"LOCALAPPDATA"},
      {platform::shell_folder::kCommonAppData, u"ProgramData"},
  };
  for (const auto& c : cases) {
    auto folder = system.ShellFolder(c.csidl);
    ASSERT_TRUE(folder.ok()) << c.csidl;
    EXPECT_TRUE(SameText(*folder, Env(c.variable)))
        << Narrow(c.variable) << ": " << Narrow(*folder);
  }
  EXPECT_EQ(system.ShellFolder(0x7F).code(), platform::error::kFileNotFound);
}

TEST_F(Win32BackendTest, AccountAndBitnessAgreeWithTheSystem) {
  auto& system = platform().system();
  EXPECT_TRUE(SameText(system.ComputerName(), Env(u"COMPUTERNAME")));
  EXPECT_TRUE(SameText(system.UserName(), Env(u"USERNAME")));
  EXPECT_FALSE(system.DomainName().empty());

  const bool process_is_64_bit = sizeof(void*) == 8;
  EXPECT_EQ(system.IsWow64Process(), !process_is_64_bit && system.Is64BitWindows());
  if (process_is_64_bit) {
    EXPECT_TRUE(system.Is64BitWindows());
  }

  const platform::OsVersion version = system.Version();
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_TRUE(version.AtLeast(5, 1)) << version.major << "." << version.minor;
  // The real build, whatever this program's manifest declares.
  auto build = platform().registry().ReadValue(RegistryRoot::kLocalMachine,
                                               u"Software\\Microsoft\\Windows NT\\CurrentVersion",
                                               u"CurrentBuildNumber", RegistryView::kDefault);
  ASSERT_TRUE(build.ok());
  EXPECT_EQ(Narrow(build->AsString()), std::to_string(version.build));
  // An elevated administrator is in the group; an unelevated token never is.
  if (!system.IsElevated()) {
    EXPECT_FALSE(system.IsAdministrator());
  }
}

TEST_F(Win32BackendTest, EngineFileIsThisProgram) {
  auto& process = platform().process();
  const std::u16string engine = process.EngineFilePath();
  EXPECT_TRUE(platform().files().FileExists(engine)) << Narrow(engine);
  const std::vector<std::u16string> arguments = process.Arguments();
  ASSERT_FALSE(arguments.empty());
  // Argument 0 is the program as it was started: the same file, by whatever path.
  const std::u16string name = engine.substr(engine.find_last_of(u'\\') + 1);
  const std::u16string stem = name.substr(0, name.rfind(u'.'));
  EXPECT_TRUE(core::EndsWithIgnoreCase(arguments[0], name) ||
              core::EndsWithIgnoreCase(arguments[0], stem))
      << Narrow(arguments[0]);
  EXPECT_NE(core::FindIgnoreCase(process.CommandLine(), arguments[0]), std::u16string::npos);
}

TEST_F(Win32BackendTest, LongPathsWorkInTheExtendedForm) {
  auto& files = platform().files();
  std::u16string folder = u"\\\\?\\" + backend_.scratch_folder;
  for (int level = 0; level < 6; ++level) folder += std::u16string(50, u'a' + level) + u"\\";
  ASSERT_GT(folder.size(), 260u);
  const std::u16string file = folder + u"data.bin";

  ASSERT_TRUE(files.CreateFolder(folder).ok());
  ASSERT_TRUE(files.WriteFile(file, std::string("long\0path", 9)).ok());
  ASSERT_TRUE(files.AppendFile(file, "!").ok());
  auto bytes = files.ReadFile(file);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(*bytes, std::string("long\0path!", 10));
  auto found = files.FindFiles(folder + u"*.bin");
  ASSERT_TRUE(found.ok());
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ((*found)[0].size, 10u);
  EXPECT_TRUE(files.MoveFile(file, folder + u"moved.bin", false).ok());
  EXPECT_TRUE(files.FileExists(folder + u"moved.bin"));
}

TEST_F(Win32BackendTest, FailuresCarryTheSystemMessageAndThePath) {
  const std::u16string missing = backend_.scratch_folder + u"missing\\file.txt";
  auto read = platform().files().ReadFile(missing);
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.code(), platform::error::kPathNotFound);
  const std::u16string& message = read.status().message();
  EXPECT_NE(message.find(missing), std::u16string::npos) << Narrow(message);
  // More than the path: the system's own text follows it.
  EXPECT_GT(message.size(), missing.size() + 8) << Narrow(message);
}

}  // namespace
}  // namespace velkor::testing
