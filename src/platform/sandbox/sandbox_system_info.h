// The sandbox's SystemInfo: the facts of the machine profile, the standard folders of
// standard_folders.h, and the host's clocks and random source. Now() answers the
// profile's fixed clock when it has one. Any thread may call; the profile must outlive
// the object.
#pragma once

#include "platform/sandbox/machine_profile.h"
#include "platform/system_info.h"

namespace velkor::platform::sandbox {

class SandboxSystemInfo : public SystemInfo {
 public:
  explicit SandboxSystemInfo(const LiveProfile& profile) : profile_(profile) {}

  OsVersion Version() override;
  bool Is64BitWindows() override;
  bool IsWow64Process() override;
  bool IsAdministrator() override;
  bool IsElevated() override;
  std::u16string UserName() override;
  std::u16string ComputerName() override;
  std::u16string DomainName() override;
  std::u16string WindowsFolder() override;
  std::u16string SystemFolder() override;
  std::u16string SystemWow64Folder() override;
  Result<std::u16string> ShellFolder(int csidl) override;
  uint32_t TickCount() override;
  LocalTime Now() override;
  std::u16string FormatDate(const LocalTime& time, bool long_format) override;
  std::u16string FormatTime(const LocalTime& time) override;
  uint64_t TotalMemory() override;
  uint32_t ProcessorCount() override;
  ScreenInfo Screen() override;
  uint32_t UserLocale() override;
  uint32_t SystemLocale() override;
  bool DesktopCompositionEnabled() override;
  bool VisualStylesEnabled() override;
  std::array<uint8_t, 16> RandomBytes() override;
  void Sleep(uint32_t milliseconds) override;

 private:
  // One fact of the profile, read under its lock.
  template <typename Fact>
  auto Get(Fact fact) {
    return profile_.Read(fact);
  }

  const LiveProfile& profile_;
};

}  // namespace velkor::platform::sandbox
