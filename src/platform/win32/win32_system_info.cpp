// Facts about the machine and the session from the system's own calls. Functions that
// older Windows lacks are found at run time in DLLs loaded from the system folder.
#include "platform/system_info.h"

#include "platform/win32/windows_api.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_text.h"

namespace velkor::platform::win32 {
namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using DwmIsCompositionEnabledFunction = HRESULT(WINAPI*)(BOOL*);
using ThemeQueryFunction = BOOL(WINAPI*)();
using BCryptGenRandomFunction = LONG(WINAPI*)(void*, UCHAR*, ULONG, ULONG);
using RtlGenRandomFunction = BOOLEAN(WINAPI*)(void*, ULONG);

constexpr ULONG kUseSystemPreferredRng = 0x2;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG

OsVersion FromVersionInfo(const OSVERSIONINFOEXW& info) {
  OsVersion version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platform_id = info.dwPlatformId;
  version.product_type = info.wProductType;
  version.service_pack_major = info.wServicePackMajor;
  version.service_pack = FromApi(info.szCSDVersion);
  return version;
}

// GetVersionEx reports at most the version the program's manifest declares; RtlGetVersion
// reports the real one, so it is asked first.
OSVERSIONINFOEXW ReadVersionInfo() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  auto* as_basic = reinterpret_cast<OSVERSIONINFOW*>(&info);
  auto rtl_get_version =
      FindExport<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (rtl_get_version != nullptr && rtl_get_version(as_basic) == 0) return info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(as_basic);
#pragma GCC diagnostic pop
  return info;
}

// The token's data of one information class; empty when the query fails.
std::vector<BYTE> ProcessTokenInformation(TOKEN_INFORMATION_CLASS information_class) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, information_class, nullptr, 0, &size);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetTokenInformation(token, information_class, data.data(), size, &size)) {
    data.clear();
  }
  CloseHandle(token);
  return data;
}

// CheckTokenMembership with no token looks at the thread's effective token: under UAC a
// filtered administrator token holds the group only for deny, so it answers no there.
bool InAdministratorsGroup() {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    return false;
  }
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

// The domain the process's account belongs to (the computer's name for a local account).
std::u16string AccountDomain() {
  const std::vector<BYTE> data = ProcessTokenInformation(TokenUser);
  if (data.size() < sizeof(TOKEN_USER)) return {};
  PSID sid = reinterpret_cast<const TOKEN_USER*>(data.data())->User.Sid;
  DWORD name_size = 0, domain_size = 0;
  SID_NAME_USE use;
  LookupAccountSidW(nullptr, sid, nullptr, &name_size, nullptr, &domain_size, &use);
  std::wstring name(name_size + 1, L'\0'), domain(domain_size + 1, L'\0');
  name_size = static_cast<DWORD>(name.size());
  domain_size = static_cast<DWORD>(domain.size());
  if (!LookupAccountSidW(nullptr, sid, name.data(), &name_size, domain.data(), &domain_size,
                         &use)) {
    return {};
  }
  return FromApi(domain.c_str());
}

std::u16string WithBackslash(std::u16string folder) {
  if (!folder.empty() && folder.back() != u'\\') folder.push_back(u'\\');
  return folder;
}

SYSTEMTIME ToSystemTime(const LocalTime& time) {
  SYSTEMTIME st;
  st.wYear = time.year;
  st.wMonth = time.month;
  st.wDayOfWeek = time.day_of_week;
  st.wDay = time.day;
  st.wHour = time.hour;
  st.wMinute = time.minute;
  st.wSecond = time.second;
  st.wMilliseconds = time.milliseconds;
  return st;
}

// The locale formatting calls return the size they need (with the NUL) for no buffer.
template <typename Format>
std::u16string FormatWithLocale(Format format) {
  const int size = format(nullptr, 0);
  if (size <= 0) return {};
  std::wstring buffer(size, L'\0');
  const int written = format(buffer.data(), size);
  if (written <= 0) return {};
  return core::FromWide(std::wstring_view(buffer.data(), written - 1));
}

// A last resort when neither system generator is available: never the same twice in a
// process, though not secret.
std::array<uint8_t, 16> FallbackBytes() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  uint64_t state =
      static_cast<uint64_t>(counter.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32);
  std::array<uint8_t, 16> bytes;
  for (auto& byte : bytes) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    byte = static_cast<uint8_t>(state >> 56);
  }
  return bytes;
}

class Win32SystemInfo final : public SystemInfo {
 public:
  OsVersion Version() override { return FromVersionInfo(ReadVersionInfo()); }

  bool Is64BitWindows() override { return sizeof(void*) == 8 || IsWow64Process(); }

  bool IsWow64Process() override {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  }

  bool IsAdministrator() override { return InAdministratorsGroup(); }

  bool IsElevated() override {
    const std::vector<BYTE> data = ProcessTokenInformation(TokenElevation);
    // Before Vista there is no elevation: an administrator has every right.
    if (data.size() < sizeof(TOKEN_ELEVATION)) return InAdministratorsGroup();
    return reinterpret_cast<const TOKEN_ELEVATION*>(data.data())->TokenIsElevated != 0;
  }

  std::u16string UserName() override {
    return ReadInOutText([](wchar_t* buffer, DWORD* size) { return GetUserNameW(buffer, size); });
  }

  std::u16string ComputerName() override {
    return ReadInOutText(
        [](wchar_t* buffer, DWORD* size) { return GetComputerNameW(buffer, size); });
  }

  std::u16string DomainName() override { return AccountDomain(); }

  std::u16string WindowsFolder() override {
    return WithBackslash(ReadGrowingText([](wchar_t* buffer, DWORD size) {
                           return GetWindowsDirectoryW(buffer, size);
                         }).value_or(u""));
  }

  std::u16string SystemFolder() override {
    return WithBackslash(ReadGrowingText([](wchar_t* buffer, DWORD size) {
                           return GetSystemDirectoryW(buffer, size);
                         }).value_or(u""));
  }

  std::u16string SystemWow64Folder() override {
    auto folder = ReadGrowingText(
        [](wchar_t* buffer, DWORD size) { return GetSystemWow64DirectoryW(buffer, size); });
    // 32-bit Windows has none and fails the call.
    if (!folder || folder->empty()) return SystemFolder();
    return WithBackslash(*folder);
  }

  Result<std::u16string> ShellFolder(int csidl) override {
    wchar_t path[MAX_PATH + 1] = {};
    // S_FALSE: the folder is known but not created yet; its path is still valid.
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    if ((result != S_OK && result != S_FALSE) || path[0] == L'\0') {
      return Status::Failure(ERROR_FILE_NOT_FOUND, u"the system has no such shell folder");
    }
    return FromApi(path);
  }

  uint32_t TickCount() override { return GetTickCount(); }

  LocalTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                     st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
  }

  std::u16string FormatDate(const LocalTime& time, bool long_format) override {
    const SYSTEMTIME st = ToSystemTime(time);
    const DWORD flags = long_format ? DATE_LONGDATE : DATE_SHORTDATE;
    return FormatWithLocale([&](wchar_t* buffer, int size) {
      return GetDateFormatW(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, size);
    });
  }

  std::u16string FormatTime(const LocalTime& time) override {
    const SYSTEMTIME st = ToSystemTime(time);
    return FormatWithLocale([&](wchar_t* buffer, int size) {
      return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, size);
    });
  }

  uint64_t TotalMemory() override {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
  }

  uint32_t ProcessorCount() override {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
  }

  ScreenInfo Screen() override {
    ScreenInfo screen;
    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    HDC desktop = GetDC(nullptr);
    screen.dpi = desktop != nullptr ? GetDeviceCaps(desktop, LOGPIXELSX) : -1;
    if (desktop != nullptr) ReleaseDC(nullptr, desktop);
    return screen;
  }

  uint32_t UserLocale() override { return GetUserDefaultLCID(); }
  uint32_t SystemLocale() override { return GetSystemDefaultLCID(); }

  bool DesktopCompositionEnabled() override {
    auto is_enabled = dwmapi_.Find<DwmIsCompositionEnabledFunction>("DwmIsCompositionEnabled");
    BOOL enabled = FALSE;
    return is_enabled != nullptr && SUCCEEDED(is_enabled(&enabled)) && enabled;
  }

  // Styles are drawn only when the user's theme is on and this program takes part in it.
  bool VisualStylesEnabled() override {
    auto theme_active = uxtheme_.Find<ThemeQueryFunction>("IsThemeActive");
    auto app_themed = uxtheme_.Find<ThemeQueryFunction>("IsAppThemed");
    return theme_active != nullptr && app_themed != nullptr && theme_active() && app_themed();
  }

  std::array<uint8_t, 16> RandomBytes() override {
    std::array<uint8_t, 16> bytes{};
    auto generate = bcrypt_.Find<BCryptGenRandomFunction>("BCryptGenRandom");
    if (generate != nullptr &&
        generate(nullptr, bytes.data(), bytes.size(), kUseSystemPreferredRng) == 0) {
      return bytes;
    }
    // Before Windows 7 the system generator is reached as RtlGenRandom.
    auto rtl_generate = advapi32_.Find<RtlGenRandomFunction>("SystemFunction036");
    if (rtl_generate != nullptr && rtl_generate(bytes.data(), bytes.size())) return bytes;
    return FallbackBytes();
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

 private:
  SystemLibrary dwmapi_{L"dwmapi.dll"};
  SystemLibrary uxtheme_{L"uxtheme.dll"};
  SystemLibrary bcrypt_{L"bcrypt.dll"};
  SystemLibrary advapi32_{L"advapi32.dll"};
};

}  // namespace

std::unique_ptr<SystemInfo> CreateWin32SystemInfo() {
  return std::make_unique<Win32SystemInfo>();
}

}  // namespace velkor::platform::win32
