#include "platform/sandbox/sandbox_system_info.h"

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <random>
#include <thread>

#include "core/path_text.h"
#include "platform/sandbox/picture_format.h"
#include "platform/sandbox/standard_folders.h"

namespace velkor::platform::sandbox {
namespace {

LocalTime HostLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm parts{};
  localtime_r(&seconds, &parts);
  LocalTime time;
  time.year = static_cast<uint16_t>(parts.tm_year + 1900);
  time.month = static_cast<uint16_t>(parts.tm_mon + 1);
  time.day_of_week = static_cast<uint16_t>(parts.tm_wday);
  time.day = static_cast<uint16_t>(parts.tm_mday);
  time.hour = static_cast<uint16_t>(parts.tm_hour);
  time.minute = static_cast<uint16_t>(parts.tm_min);
  time.second = static_cast<uint16_t>(parts.tm_sec);
  time.milliseconds = static_cast<uint16_t>(milliseconds);
  return time;
}

}  // namespace

OsVersion SandboxSystemInfo::Version() {
  return Get([](const MachineProfile& p) {
    OsVersion version;
    version.major = p.version_major;
    version.minor = p.version_minor;
    version.build = p.version_build;
    version.platform_id = p.platform_id;
    version.product_type = p.product_type;
    version.service_pack_major = p.service_pack_major;
    version.service_pack = p.service_pack;
    return version;
  });
}

bool SandboxSystemInfo::Is64BitWindows() {
  return Get([](const MachineProfile& p) { return p.is_64bit_windows; });
}
bool SandboxSystemInfo::IsWow64Process() {
  return Get([](const MachineProfile& p) { return p.RunsUnderWow64(); });
}
bool SandboxSystemInfo::IsAdministrator() {
  return Get([](const MachineProfile& p) { return p.HasAdministratorRights(); });
}
bool SandboxSystemInfo::IsElevated() {
  return Get([](const MachineProfile& p) { return p.is_elevated; });
}
std::u16string SandboxSystemInfo::UserName() {
  return Get([](const MachineProfile& p) { return p.user_name; });
}
std::u16string SandboxSystemInfo::ComputerName() {
  return Get([](const MachineProfile& p) { return p.computer_name; });
}
std::u16string SandboxSystemInfo::DomainName() {
  return Get([](const MachineProfile& p) { return p.domain_name; });
}

std::u16string SandboxSystemInfo::WindowsFolder() {
  return core::WithTrailingBackslash(
      Get([](const MachineProfile& p) { return StandardFoldersOf(p).windows; }));
}
std::u16string SandboxSystemInfo::SystemFolder() {
  return core::WithTrailingBackslash(
      Get([](const MachineProfile& p) { return StandardFoldersOf(p).system; }));
}
std::u16string SandboxSystemInfo::SystemWow64Folder() {
  return core::WithTrailingBackslash(
      Get([](const MachineProfile& p) { return StandardFoldersOf(p).system_x86; }));
}
Result<std::u16string> SandboxSystemInfo::ShellFolder(int csidl) {
  return Get([csidl](const MachineProfile& p) { return ShellFolderOf(p, csidl); });
}

uint32_t SandboxSystemInfo::TickCount() {
  const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
  // Wraps after 49.7 days, as GetTickCount does.
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count());
}

LocalTime SandboxSystemInfo::Now() {
  std::optional<LocalTime> fixed = Get([](const MachineProfile& p) { return p.fixed_clock; });
  if (!fixed) return HostLocalTime();
  fixed->day_of_week = DayOfWeek(fixed->year, fixed->month, fixed->day);
  return *fixed;
}

std::u16string SandboxSystemInfo::FormatDate(const LocalTime& time, bool long_format) {
  const std::u16string picture = Get([long_format](const MachineProfile& p) {
    return long_format ? p.long_date_format : p.short_date_format;
  });
  return FormatPicture(picture, time, PictureKind::kDate);
}

std::u16string SandboxSystemInfo::FormatTime(const LocalTime& time) {
  const std::u16string picture = Get([](const MachineProfile& p) { return p.time_format; });
  return FormatPicture(picture, time, PictureKind::kTime);
}

uint64_t SandboxSystemInfo::TotalMemory() {
  return Get([](const MachineProfile& p) { return p.total_memory; });
}
uint32_t SandboxSystemInfo::ProcessorCount() {
  return Get([](const MachineProfile& p) { return p.processor_count; });
}
ScreenInfo SandboxSystemInfo::Screen() {
  return Get([](const MachineProfile& p) {
    return ScreenInfo{p.screen_width, p.screen_height, p.screen_dpi};
  });
}
uint32_t SandboxSystemInfo::UserLocale() {
  return Get([](const MachineProfile& p) { return p.user_locale; });
}
uint32_t SandboxSystemInfo::SystemLocale() {
  return Get([](const MachineProfile& p) { return p.system_locale; });
}
bool SandboxSystemInfo::DesktopCompositionEnabled() {
  return Get([](const MachineProfile& p) { return p.desktop_composition; });
}
bool SandboxSystemInfo::VisualStylesEnabled() {
  return Get([](const MachineProfile& p) { return p.visual_styles; });
}

std::array<uint8_t, 16> SandboxSystemInfo::RandomBytes() {
  std::array<uint8_t, 16> bytes{};
  // getentropy reads the kernel's random source; it only fails for oversized requests.
  if (getentropy(bytes.data(), bytes.size()) != 0) {
    std::random_device device;
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(device());
  }
  return bytes;
}

void SandboxSystemInfo::Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace velkor::platform::sandbox
