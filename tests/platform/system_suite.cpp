// The SystemInfo contract, run against both backends. Values differ from machine to
// machine, so the tests assert what holds on any Windows: relationships between the
// answers, shapes of paths, clocks that move.
#include <gtest/gtest.h>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::testing {
namespace {

using platform::LocalTime;
using platform::SystemInfo;
namespace shell_folder = platform::shell_folder;

class SystemSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeTestBackend();
    ASSERT_NE(backend_.platform, nullptr) << "the backend could not be created";
  }
  void TearDown() override { DestroyTestBackend(backend_); }

  SystemInfo& system() { return backend_.platform->system(); }
  std::u16string Shell(int csidl) { return system().ShellFolder(csidl).value_or(u""); }
  static std::u16string WithoutBackslash(std::u16string folder) {
    if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    return folder;
  }

  TestBackend backend_;
};

bool IsDrivePath(const std::u16string& path) {
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

TEST_F(SystemSuite, SystemFoldersExistEndWithBackslashAndNest) {
  const std::u16string windows = system().WindowsFolder();
  const std::u16string system32 = system().SystemFolder();
  const std::u16string wow64 = system().SystemWow64Folder();
  for (const std::u16string& folder : {windows, system32, wow64}) {
    SCOPED_TRACE(core::Utf16ToUtf8(folder));
    ASSERT_TRUE(IsDrivePath(folder));
    EXPECT_EQ(folder.back(), u'\\');
    EXPECT_TRUE(backend_.platform->files().FolderExists(folder));
  }
  EXPECT_TRUE(core::StartsWithIgnoreCase(system32, windows));
  EXPECT_TRUE(core::StartsWithIgnoreCase(wow64, windows));
}

TEST_F(SystemSuite, BitnessAnswersAgree) {
  if (system().IsWow64Process()) {
    EXPECT_TRUE(system().Is64BitWindows());
  }
  const bool separate =
      !core::EqualIgnoreCase(system().SystemWow64Folder(), system().SystemFolder());
  EXPECT_EQ(separate, system().Is64BitWindows());
  if (system().IsWow64Process()) {
    EXPECT_TRUE(core::EqualIgnoreCase(Shell(shell_folder::kProgramFiles),
                                      Shell(shell_folder::kProgramFilesX86)));
  }
  if (!system().Is64BitWindows()) {
    EXPECT_TRUE(core::EqualIgnoreCase(Shell(shell_folder::kSystemX86),
                                      WithoutBackslash(system().SystemFolder())));
  }
}

TEST_F(SystemSuite, AccountAndVersionFactsAreConsistent) {
  EXPECT_FALSE(system().UserName().empty());
  EXPECT_FALSE(system().ComputerName().empty());
  const platform::OsVersion version = system().Version();
  EXPECT_GE(version.major, 5u);
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_GE(version.product_type, 1u);
  EXPECT_LE(version.product_type, 3u);
  // Since Vista the Administrators group counts only in an elevated token.
  if (version.AtLeast(6, 0) && system().IsAdministrator()) {
    EXPECT_TRUE(system().IsElevated());
  }
  EXPECT_GT(system().TotalMemory(), 0u);
  EXPECT_GE(system().ProcessorCount(), 1u);
  EXPECT_GT(system().Screen().dpi, 0);
  EXPECT_NE(system().UserLocale(), 0u);
  EXPECT_NE(system().SystemLocale(), 0u);
}

TEST_F(SystemSuite, ShellFoldersAreDrivePathsWithoutTrailingBackslash) {
  const int everyday[] = {
      shell_folder::kProfile,      shell_folder::kPersonal,       shell_folder::kAppData,
      shell_folder::kLocalAppData, shell_folder::kProgramFiles,   shell_folder::kCommonAppData,
      shell_folder::kWindows,      shell_folder::kSystem,         shell_folder::kStartMenu,
      shell_folder::kPrograms,     shell_folder::kCommonPrograms, shell_folder::kDesktopDirectory};
  for (int csidl : everyday) {
    SCOPED_TRACE(csidl);
    auto folder = system().ShellFolder(csidl);
    ASSERT_TRUE(folder.ok()) << "code " << folder.code();
    ASSERT_TRUE(IsDrivePath(*folder));
    EXPECT_NE(folder->back(), u'\\');
  }
  EXPECT_TRUE(core::EqualIgnoreCase(Shell(shell_folder::kWindows),
                                    WithoutBackslash(system().WindowsFolder())));
  EXPECT_TRUE(core::EqualIgnoreCase(Shell(shell_folder::kSystem),
                                    WithoutBackslash(system().SystemFolder())));
  EXPECT_TRUE(core::StartsWithIgnoreCase(Shell(shell_folder::kAppData),
                                         Shell(shell_folder::kProfile) + u"\\"));
  EXPECT_TRUE(core::StartsWithIgnoreCase(Shell(shell_folder::kPrograms),
                                         Shell(shell_folder::kStartMenu) + u"\\"));
  for (int csidl : {shell_folder::kProfile, shell_folder::kAppData, shell_folder::kLocalAppData,
                    shell_folder::kProgramFiles, shell_folder::kCommonAppData}) {
    EXPECT_TRUE(backend_.platform->files().FolderExists(Shell(csidl))) << csidl;
  }
  EXPECT_FALSE(system().ShellFolder(0x7F).ok());
}

TEST_F(SystemSuite, TickCountFollowsSleep) {
  const uint32_t before = system().TickCount();
  system().Sleep(60);
  const uint32_t elapsed = system().TickCount() - before;
  // The tick counter's resolution may be as coarse as 16 ms.
  EXPECT_GE(elapsed, 40u);
  EXPECT_LT(elapsed, 5000u);
}

TEST_F(SystemSuite, NowIsAValidLocalTime) {
  const LocalTime now = system().Now();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LE(now.day_of_week, 6);
  EXPECT_LE(now.hour, 23);
  EXPECT_LE(now.minute, 59);
  EXPECT_LE(now.second, 59);
}

TEST_F(SystemSuite, FormattedDateAndTimeShowTheirFields) {
  LocalTime time;
  time.year = 2031;
  time.month = 11;
  time.day = 28;
  time.day_of_week = 5;
  time.hour = 15;
  time.minute = 7;
  time.second = 9;
  for (bool long_format : {false, true}) {
    const std::u16string date = system().FormatDate(time, long_format);
    SCOPED_TRACE(core::Utf16ToUtf8(date));
    EXPECT_NE(date.find(u"28"), std::u16string::npos);
    EXPECT_NE(date.find(u"31"), std::u16string::npos);
  }
  const std::u16string clock = system().FormatTime(time);
  EXPECT_NE(clock.find(u"07"), std::u16string::npos) << core::Utf16ToUtf8(clock);
}

TEST_F(SystemSuite, RandomBytesDiffer) {
  EXPECT_NE(system().RandomBytes(), system().RandomBytes());
}

}  // namespace
}  // namespace velkor::testing
