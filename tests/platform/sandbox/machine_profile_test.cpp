#include "platform/sandbox/machine_profile.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

TEST(MachineProfileTest, TextRoundTripsEveryFact) {
  MachineProfile profile;
  profile.version_major = 6;
  profile.version_minor = 1;
  profile.version_build = 7601;
  profile.service_pack_major = 1;
  profile.service_pack = u"Service Pack 1";
  profile.is_64bit_windows = false;
  profile.is_elevated = false;
  profile.user_name = u"Jürgen Müller";
  profile.registered_organization = u"Acme = Widgets";
  profile.total_memory = uint64_t{64} << 30;
  profile.screen_dpi = 144;
  profile.user_locale = 0x0407;
  profile.long_date_format = u"dddd, d. MMMM yyyy";
  LocalTime clock;
  clock.year = 2024;
  clock.month = 2;
  clock.day = 29;
  clock.hour = 23;
  clock.minute = 59;
  clock.second = 58;
  clock.milliseconds = 250;
  clock.day_of_week = 4;
  profile.fixed_clock = clock;
  profile.removable_drives = u"D,E";
  profile.other_lines = {{"RUNNING_PROCESSES", "a.exe,b.exe"}};

  Result<MachineProfile> parsed = ParseProfile(ProfileText(profile));
  ASSERT_TRUE(parsed.ok()) << core::Utf16ToUtf8(parsed.status().message());
  EXPECT_EQ(ProfileText(*parsed), ProfileText(profile));
  EXPECT_EQ(parsed->user_name, u"Jürgen Müller");
  EXPECT_EQ(parsed->registered_organization, u"Acme = Widgets");
  ASSERT_TRUE(parsed->fixed_clock.has_value());
  EXPECT_EQ(parsed->fixed_clock->day_of_week, 4);  // computed, 2024-02-29 was a Thursday
  EXPECT_EQ(parsed->fixed_clock->milliseconds, 250);
  EXPECT_EQ(parsed->removable_drives, u"D,E");
}

TEST(MachineProfileTest, ParsingIsLenientInFormAndStrictInValues) {
  Result<MachineProfile> parsed = ParseProfile(
      "\xEF\xBB\xBF# comment\r\n; another\r\n\r\n  version_build = 22631 \r\n"
      "IS_ELEVATED=0\nUser_Name=Admin\nFUTURE_FACT=kept\nFIXED_CLOCK=\n");
  ASSERT_TRUE(parsed.ok()) << core::Utf16ToUtf8(parsed.status().message());
  EXPECT_EQ(parsed->version_build, 22631u);
  EXPECT_FALSE(parsed->is_elevated);
  EXPECT_EQ(parsed->user_name, u"Admin");
  EXPECT_EQ(parsed->version_major, 10u) << "facts not given keep their defaults";
  EXPECT_FALSE(parsed->fixed_clock.has_value());
  ASSERT_EQ(parsed->other_lines.size(), 1u);
  EXPECT_EQ(parsed->other_lines[0].first, "FUTURE_FACT");

  for (const char* bad :
       {"VERSION_MAJOR=ten", "VERSION_MAJOR=-1", "IS_ELEVATED=maybe", "no equals sign",
        "SCREEN_DPI=96x", "FIXED_CLOCK=2024-13-01 00:00:00", "TOTAL_MEMORY="}) {
    Result<MachineProfile> failed = ParseProfile(std::string("USER_NAME=x\n") + bad + "\n");
    EXPECT_EQ(failed.code(), error::kInvalidData) << bad;
    EXPECT_NE(failed.status().message().find(u"line 2"), std::u16string::npos) << bad;
  }
}

TEST(MachineProfileTest, SavesAndLoadsAFile) {
  test_support::HostFolder host;
  const std::filesystem::path file = host.path() / "profile.ini";
  EXPECT_EQ(LoadProfile(file).code(), error::kFileNotFound);
  MachineProfile profile;
  profile.computer_name = u"BUILD-AGENT";
  ASSERT_TRUE(SaveProfile(file, profile).ok());
  Result<MachineProfile> loaded = LoadProfile(file);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded->computer_name, u"BUILD-AGENT");
  // Nothing but the profile is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(host.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(MachineProfileTest, DayOfWeekFollowsTheGregorianCalendar) {
  EXPECT_EQ(DayOfWeek(2024, 3, 5), 2);    // Tuesday
  EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);    // Saturday
  EXPECT_EQ(DayOfWeek(1900, 3, 1), 4);    // Thursday; 1900 was no leap year
  EXPECT_EQ(DayOfWeek(2100, 12, 31), 5);  // Friday
}

}  // namespace
}  // namespace velkor::platform::sandbox
