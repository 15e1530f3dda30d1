// A new machine and its profile: the folders, facts and variables a fresh Windows has,
// and how profile changes reach the services.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/text.h"
#include "platform/sandbox/sandbox_platform.h"
#include "platform/sandbox/sandbox_registry.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

using test_support::HostFolder;
using test_support::OpenMachine;

TEST(SandboxMachineTest, NewMachineHasTheStandardFoldersAndDefaultProfile) {
  HostFolder host;
  auto machine = OpenMachine(host.machine());
  ASSERT_NE(machine, nullptr);
  for (std::u16string_view folder :
       {u"C:\\Windows\\System32", u"C:\\Windows\\SysWOW64", u"C:\\Program Files\\Common Files",
        u"C:\\Program Files (x86)\\Common Files", u"C:\\ProgramData", u"C:\\Users\\Public\\Desktop",
        u"C:\\Users\\Public\\Documents", u"C:\\Users\\User\\Desktop", u"C:\\Users\\User\\Documents",
        u"C:\\Users\\User\\AppData\\Local\\Temp",
        u"C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
        u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"}) {
    EXPECT_TRUE(machine->files().FolderExists(folder)) << core::Utf16ToUtf8(folder);
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(host.machine() / "profile.ini"));
  EXPECT_TRUE(std::filesystem::is_regular_file(host.machine() / "registry.db"));

  SystemInfo& system = machine->system();
  const OsVersion version = system.Version();
  EXPECT_EQ(version.major, 10u);
  EXPECT_EQ(version.minor, 0u);
  EXPECT_EQ(version.build, 19045u);
  EXPECT_EQ(version.product_type, 1u);
  EXPECT_TRUE(system.Is64BitWindows());
  EXPECT_TRUE(system.IsWow64Process());
  EXPECT_TRUE(system.IsAdministrator());
  EXPECT_TRUE(system.IsElevated());
  EXPECT_EQ(system.UserName(), u"User");
  EXPECT_EQ(machine->files().TempFolder(), u"C:\\Users\\User\\AppData\\Local\\Temp\\");
}

TEST(SandboxMachineTest, ShellFoldersFollowTheProcessBitness) {
  struct Case {
    int csidl;
    std::u16string_view wow64;   // 32-bit engine on 64-bit Windows
    std::u16string_view native;  // 32-bit Windows
  };
  namespace sf = shell_folder;
  const Case cases[] = {
      {sf::kProgramFiles, u"C:\\Program Files (x86)", u"C:\\Program Files"},
      {sf::kProgramFilesX86, u"C:\\Program Files (x86)", u"C:\\Program Files"},
      {sf::kProgramFilesCommon, u"C:\\Program Files (x86)\\Common Files",
       u"C:\\Program Files\\Common Files"},
      {sf::kSystemX86, u"C:\\Windows\\SysWOW64", u"C:\\Windows\\System32"},
      {sf::kSystem, u"C:\\Windows\\System32", u"C:\\Windows\\System32"},
      {sf::kProfile, u"C:\\Users\\User", u"C:\\Users\\User"},
      {sf::kPersonal, u"C:\\Users\\User\\Documents", u"C:\\Users\\User\\Documents"},
      {sf::kCommonAppData, u"C:\\ProgramData", u"C:\\ProgramData"},
      {sf::kCommonDesktopDirectory, u"C:\\Users\\Public\\Desktop", u"C:\\Users\\Public\\Desktop"},
      {sf::kStartup,
       u"C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
       u"C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
  };
  HostFolder wow64_host;
  HostFolder native_host;
  SandboxOptions x86;
  x86.initial_profile = MachineProfile{};
  x86.initial_profile->is_64bit_windows = false;
  auto wow64 = OpenMachine(wow64_host.machine());
  auto native = OpenMachine(native_host.machine(), x86);
  ASSERT_TRUE(wow64 && native);
  for (const Case& c : cases) {
    EXPECT_EQ(wow64->system().ShellFolder(c.csidl).value_or(u"?"), c.wow64) << c.csidl;
    EXPECT_EQ(native->system().ShellFolder(c.csidl).value_or(u"?"), c.native) << c.csidl;
  }
  EXPECT_EQ(native->system().SystemWow64Folder(), u"C:\\Windows\\System32\\");
  EXPECT_FALSE(native->files().FolderExists(u"C:\\Program Files (x86)"));
}

TEST(SandboxMachineTest, EnvironmentIsSeededForTheProcessBitness) {
  HostFolder host;
  auto machine = OpenMachine(host.machine());
  ASSERT_NE(machine, nullptr);
  Environment& environment = machine->environment();
  struct Case {
    std::u16string_view name;
    std::u16string_view value;
  };
  const Case cases[] = {
      {u"ProgramFiles", u"C:\\Program Files (x86)"},
      {u"ProgramW6432", u"C:\\Program Files"},
      {u"ProgramFiles(x86)", u"C:\\Program Files (x86)"},
      {u"CommonProgramFiles", u"C:\\Program Files (x86)\\Common Files"},
      {u"PROCESSOR_ARCHITECTURE", u"x86"},
      {u"PROCESSOR_ARCHITEW6432", u"AMD64"},
      {u"TEMP", u"C:\\Users\\User\\AppData\\Local\\Temp"},
      {u"APPDATA", u"C:\\Users\\User\\AppData\\Roaming"},
      {u"ALLUSERSPROFILE", u"C:\\ProgramData"},
      {u"PUBLIC", u"C:\\Users\\Public"},
      {u"SystemDrive", u"C:"},
      {u"COMPUTERNAME", u"VELKOR-PC"},
      {u"USERNAME", u"User"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(environment.Get(c.name).value_or(u"<unset>"), c.value) << core::Utf16ToUtf8(c.name);
  }
}

TEST(SandboxMachineTest, InitialProfileShapesANewMachineOnly) {
  HostFolder host;
  SandboxOptions options;
  options.initial_profile = MachineProfile{};
  options.initial_profile->user_name = u"Ada";
  {
    auto machine = OpenMachine(host.machine(), options);
    ASSERT_NE(machine, nullptr);
    EXPECT_TRUE(machine->files().FolderExists(u"C:\\Users\\Ada\\AppData\\Local\\Temp"));
    EXPECT_EQ(machine->environment().Get(u"USERPROFILE").value_or(u""), u"C:\\Users\\Ada");
  }
  options.initial_profile->user_name = u"Bob";
  auto reopened = OpenMachine(host.machine(), options);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->system().UserName(), u"Ada");
  EXPECT_FALSE(reopened->files().FolderExists(u"C:\\Users\\Bob"));
}

TEST(SandboxMachineTest, SetProfileChangesAnswersAndPersists) {
  HostFolder host;
  {
    auto machine = OpenMachine(host.machine());
    ASSERT_NE(machine, nullptr);
    MachineProfile profile = machine->profile();
    profile.version_major = 6;
    profile.version_minor = 1;
    profile.is_elevated = false;
    profile.screen_width = 800;
    LocalTime clock;
    clock.year = 2030;
    clock.month = 6;
    clock.day = 1;
    profile.fixed_clock = clock;
    ASSERT_TRUE(machine->SetProfile(profile).ok());
    EXPECT_TRUE(machine->system().Version().AtLeast(6, 1));
    EXPECT_FALSE(machine->system().Version().AtLeast(6, 2));
    EXPECT_FALSE(machine->system().IsAdministrator()) << "not elevated on Windows 7";
    EXPECT_EQ(machine->system().Screen().width, 800);
    EXPECT_EQ(machine->system().Now().year, 2030);
    EXPECT_EQ(machine->system().Now().day_of_week, 6);
  }
  auto reopened = OpenMachine(host.machine());
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->system().Version().minor, 1u);
  EXPECT_EQ(reopened->system().Now().year, 2030);
}

TEST(SandboxMachineTest, AdministratorOnXpNeedsNoElevation) {
  HostFolder host;
  SandboxOptions options;
  options.initial_profile = MachineProfile{};
  options.initial_profile->version_major = 5;
  options.initial_profile->version_minor = 1;
  options.initial_profile->is_elevated = false;
  auto machine = OpenMachine(host.machine(), options);
  ASSERT_NE(machine, nullptr);
  EXPECT_TRUE(machine->system().IsAdministrator());
}

TEST(SandboxMachineTest, RegistryGetsTheMachineFacts) {
  HostFolder host;
  SandboxOptions options;
  options.initial_profile = MachineProfile{};
  options.initial_profile->is_elevated = false;
  options.initial_profile->registered_owner = u"Grace Hopper";
  options.initial_profile->version_build = 22631;
  auto machine = OpenMachine(host.machine(), options);
  ASSERT_NE(machine, nullptr);
  const RegistryFacts& facts = machine->sandbox_registry().facts();
  EXPECT_TRUE(facts.is_64bit_windows);
  EXPECT_TRUE(facts.wow64_process);
  EXPECT_FALSE(facts.machine_writable) << "a standard token cannot change HKLM";
  EXPECT_TRUE(machine->registry()
                  .CreateKey(RegistryRoot::kCurrentUser, u"Software\\Mine", RegistryView::kDefault)
                  .ok());
  // The registry was seeded from the profile, even though this user cannot change HKLM.
  const std::u16string key = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  Registry& registry = machine->registry();
  EXPECT_EQ(
      registry
          .ReadValue(RegistryRoot::kLocalMachine, key, u"RegisteredOwner", RegistryView::kView64)
          .value_or(RegistryValue{})
          .AsString(),
      u"Grace Hopper");
  EXPECT_EQ(registry
                .ReadValue(RegistryRoot::kLocalMachine, key, u"CurrentBuildNumber",
                           RegistryView::kDefault)
                .value_or(RegistryValue{})
                .AsString(),
            u"22631");
}

TEST(SandboxMachineTest, DateAndTimeUseTheProfilePictures) {
  HostFolder host;
  SandboxOptions options;
  options.initial_profile = MachineProfile{};
  options.initial_profile->short_date_format = u"dd.MM.yyyy";
  options.initial_profile->time_format = u"HH:mm:ss";
  auto machine = OpenMachine(host.machine(), options);
  ASSERT_NE(machine, nullptr);
  LocalTime time;
  time.year = 2024;
  time.month = 3;
  time.day = 5;
  time.hour = 18;
  time.minute = 4;
  EXPECT_EQ(machine->system().FormatDate(time, false), u"05.03.2024");
  EXPECT_EQ(machine->system().FormatDate(time, true), u"Tuesday, March 5, 2024");
  EXPECT_EQ(machine->system().FormatTime(time), u"18:04:00");
}

TEST(SandboxMachineTest, DefaultMachineFolderHonoursVelkorMachine) {
  const char* saved = std::getenv("VELKOR_MACHINE");
  const std::string previous = saved ? saved : "";
  ::setenv("VELKOR_MACHINE", "/some/where/machine", 1);
  EXPECT_EQ(DefaultMachineFolder(), std::filesystem::path("/some/where/machine"));
  ::unsetenv("VELKOR_MACHINE");
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != 0) {
    EXPECT_EQ(DefaultMachineFolder(), std::filesystem::path(home) / ".velkor" / "machine");
  }
  if (saved) ::setenv("VELKOR_MACHINE", previous.c_str(), 1);
}

TEST(SandboxMachineTest, DamagedProfileFailsTheOpen) {
  HostFolder host;
  std::filesystem::create_directories(host.machine());
  {
    std::FILE* file = std::fopen((host.machine() / "profile.ini").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("VERSION_MAJOR=ten\n", file);
    std::fclose(file);
  }
  SandboxOptions options;
  options.machine_folder = host.machine();
  EXPECT_EQ(OpenSandbox(options).code(), error::kInvalidData);
}

}  // namespace
}  // namespace velkor::platform::sandbox
