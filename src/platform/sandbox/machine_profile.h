// The OS profile of a sandbox machine: the facts a real Windows would report, kept in
// the machine folder as "profile.ini" (UTF-8 NAME=VALUE lines; "#" or ";" starts a
// comment line; names ignore case; Booleans are TRUE/FALSE or 1/0). Tests and the
// simulator change a machine by editing this struct and saving it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "platform/system_info.h"

namespace velkor::platform::sandbox {

// Defaults: Windows 10 x64 (10.0.19045) workstation, the engine a 32-bit process under
// WOW64, the user an elevated administrator, US English formats, the real clock.
struct MachineProfile {
  uint32_t version_major = 10;
  uint32_t version_minor = 0;
  uint32_t version_build = 19045;
  uint32_t platform_id = 2;   // 2: NT family, 1: 9x family
  uint32_t product_type = 1;  // 1 workstation, 2 domain controller, 3 server
  uint32_t service_pack_major = 0;
  std::u16string service_pack;

  bool is_64bit_windows = true;
  // Only meaningful on 64-bit Windows; the 32-bit engine runs under WOW64 there.
  bool is_wow64_process = true;
  bool is_administrator = true;  // the account is in the Administrators group
  bool is_elevated = true;

  std::u16string user_name = u"User";
  std::u16string computer_name = u"VELKOR-PC";
  // The domain of the user's account: the computer's name for a local account.
  std::u16string domain_name = u"VELKOR-PC";
  std::u16string registered_owner = u"User";
  std::u16string registered_organization;

  uint64_t total_memory = uint64_t{8} << 30;
  uint32_t processor_count = 4;
  int32_t screen_width = 1920;
  int32_t screen_height = 1080;
  int32_t screen_dpi = 96;
  uint32_t user_locale = 0x0409;
  uint32_t system_locale = 0x0409;
  bool desktop_composition = true;
  bool visual_styles = true;

  // Windows date and time pictures.
  std::u16string short_date_format = u"M/d/yyyy";
  std::u16string long_date_format = u"dddd, MMMM d, yyyy";
  std::u16string time_format = u"h:mm:ss tt";
  // When set, Now() always answers this ("FIXED_CLOCK=2024-03-15 14:30:05[.250]").
  std::optional<LocalTime> fixed_clock;
  // The letters of the drives that report as removable media ("REMOVABLE_DRIVES=D,E");
  // every other existing drive is a fixed disk.
  std::u16string removable_drives;

  // Lines with names this version does not know, written back unchanged on save.
  std::vector<std::pair<std::string, std::string>> other_lines;

  // The process runs as a 32-bit program on 64-bit Windows.
  bool RunsUnderWow64() const { return is_64bit_windows && is_wow64_process; }
  // The user may change the machine: since Vista an administrator's token holds the
  // Administrators group only when elevated.
  bool HasAdministratorRights() const {
    return is_administrator && (version_major < 6 || is_elevated);
  }
};

// Fails with kInvalidData naming the line for a malformed line or value.
Result<MachineProfile> ParseProfile(std::string_view text);
std::string ProfileText(const MachineProfile& profile);

// kFileNotFound when the file is missing.
Result<MachineProfile> LoadProfile(const std::filesystem::path& file);
// Replaces the file atomically.
Status SaveProfile(const std::filesystem::path& file, const MachineProfile& profile);

// The day of the week (0 Sunday) of a Gregorian date.
uint16_t DayOfWeek(uint16_t year, uint16_t month, uint16_t day);

// The profile of a running sandbox, shared by its services; any thread may call.
class LiveProfile {
 public:
  explicit LiveProfile(MachineProfile profile) : profile_(std::move(profile)) {}

  MachineProfile Get() const {
    std::lock_guard lock(mutex_);
    return profile_;
  }
  void Set(MachineProfile profile) {
    std::lock_guard lock(mutex_);
    profile_ = std::move(profile);
  }
  // Calls `read` with the profile under the lock and returns what it returns.
  template <typename Reader>
  auto Read(Reader&& read) const {
    std::lock_guard lock(mutex_);
    return read(profile_);
  }

 private:
  mutable std::mutex mutex_;
  MachineProfile profile_;
};

}  // namespace velkor::platform::sandbox
