#include <gtest/gtest.h>

#include "core/text.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

TEST(SandboxDriveTypeTest, AnswersFromTheProfileAndTheDriveFolders) {
  test_support::HostFolder host;
  MachineProfile profile;
  profile.removable_drives = u"e, F:";
  SandboxOptions options;
  options.initial_profile = profile;
  auto machine = test_support::OpenMachine(host.machine(), options);
  ASSERT_TRUE(machine);
  std::filesystem::create_directory(host.machine() / "drive_d");
  std::filesystem::create_directory(host.machine() / "drive_e");

  const struct {
    std::u16string_view root;
    uint32_t type;
  } cases[] = {
      {u"C:\\", drive_type::kFixed},
      {u"c:", drive_type::kFixed},
      {u"D:/", drive_type::kFixed},
      {u"E:\\", drive_type::kRemovable},
      {u"F:\\", drive_type::kRemovable},     // listed, no medium in it
      {u"G:\\", drive_type::kNoRootFolder},  // no such drive
      {u"C:\\Windows\\", drive_type::kNoRootFolder},
      {u"", drive_type::kNoRootFolder},
      {u"1:\\", drive_type::kNoRootFolder},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(machine->files().DriveType(c.root), c.type) << core::Utf16ToUtf8(c.root);
  }

  // A changed profile applies to the running machine.
  profile.removable_drives.clear();
  ASSERT_TRUE(machine->SetProfile(profile).ok());
  EXPECT_EQ(machine->files().DriveType(u"E:\\"), drive_type::kFixed);
  EXPECT_EQ(machine->files().DriveType(u"F:\\"), drive_type::kNoRootFolder);
}

}  // namespace
}  // namespace velkor::platform::sandbox
