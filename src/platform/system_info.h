// Facts about the machine and the session: OS version, bitness, account, folders,
// clock, locale and display. Read-only; any thread may call.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/status.h"

namespace velkor::platform {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 2;   // 2: Windows NT family, 1: Windows 9x family
  uint32_t product_type = 1;  // 1 workstation, 2 domain controller, 3 server
  uint32_t service_pack_major = 0;
  std::u16string service_pack;  // e.g. "Service Pack 1", or empty

  // Compares (major, minor).
  bool AtLeast(uint32_t want_major, uint32_t want_minor) const {
    return major > want_major || (major == want_major && minor >= want_minor);
  }
};

// Local wall-clock time, as SYSTEMTIME holds it.
struct LocalTime {
  uint16_t year = 1601, month = 1, day_of_week = 0, day = 1;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

struct ScreenInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t dpi = 96;
};

// CSIDL numbers of the shell folders the engine asks for.
namespace shell_folder {
inline constexpr int kDesktop = 0x0000;
inline constexpr int kPrograms = 0x0002;
inline constexpr int kPersonal = 0x0005;  // the user's documents
inline constexpr int kFavorites = 0x0006;
inline constexpr int kStartup = 0x0007;
inline constexpr int kRecent = 0x0008;
inline constexpr int kSendTo = 0x0009;
inline constexpr int kStartMenu = 0x000B;
inline constexpr int kDesktopDirectory = 0x0010;
inline constexpr int kFonts = 0x0014;
inline constexpr int kTemplates = 0x0015;
inline constexpr int kCommonStartMenu = 0x0016;
inline constexpr int kCommonPrograms = 0x0017;
inline constexpr int kCommonStartup = 0x0018;
inline constexpr int kCommonDesktopDirectory = 0x0019;
inline constexpr int kAppData = 0x001A;
inline constexpr int kLocalAppData = 0x001C;
inline constexpr int kCommonFavorites = 0x001F;
inline constexpr int kCommonAppData = 0x0023;
inline constexpr int kWindows = 0x0024;
inline constexpr int kSystem = 0x0025;
inline constexpr int kProgramFiles = 0x0026;
inline constexpr int kMyPictures = 0x0027;
inline constexpr int kProfile = 0x0028;
inline constexpr int kSystemX86 = 0x0029;
inline constexpr int kProgramFilesX86 = 0x002A;
inline constexpr int kProgramFilesCommon = 0x002B;
inline constexpr int kProgramFilesCommonX86 = 0x002C;
inline constexpr int kCommonTemplates = 0x002D;
inline constexpr int kCommonDocuments = 0x002E;
inline constexpr int kCommonAdminTools = 0x002F;
inline constexpr int kAdminTools = 0x0030;
inline constexpr int kMyMusic = 0x000D;
inline constexpr int kMyVideo = 0x000E;
}  // namespace shell_folder

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  virtual OsVersion Version() = 0;
  virtual bool Is64BitWindows() = 0;
  // True when this process is a 32-bit process on 64-bit Windows.
  virtual bool IsWow64Process() = 0;
  // Member of the Administrators group (on Vista and later: also elevated).
  virtual bool IsAdministrator() = 0;
  virtual bool IsElevated() = 0;

  virtual std::u16string UserName() = 0;
  virtual std::u16string ComputerName() = 0;
  virtual std::u16string DomainName() = 0;

  // Folders with a trailing backslash.
  virtual std::u16string WindowsFolder() = 0;
  virtual std::u16string SystemFolder() = 0;
  // SysWOW64 on 64-bit Windows; the system folder elsewhere.
  virtual std::u16string SystemWow64Folder() = 0;
  // The shell folder of a CSIDL number, without a trailing backslash (as the shell
  // returns it); kFileNotFound when the system has none.
  virtual Result<std::u16string> ShellFolder(int csidl) = 0;

  virtual uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;
  // The date in the user's short or long date format, the time in the user's time format.
  virtual std::u16string FormatDate(const LocalTime& time, bool long_format) = 0;
  virtual std::u16string FormatTime(const LocalTime& time) = 0;

  virtual uint64_t TotalMemory() = 0;  // physical memory in bytes
  virtual uint32_t ProcessorCount() = 0;
  virtual ScreenInfo Screen() = 0;
  virtual uint32_t UserLocale() = 0;    // LCID
  virtual uint32_t SystemLocale() = 0;  // LCID
  virtual bool DesktopCompositionEnabled() = 0;
  virtual bool VisualStylesEnabled() = 0;

  virtual std::array<uint8_t, 16> RandomBytes() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace velkor::platform
