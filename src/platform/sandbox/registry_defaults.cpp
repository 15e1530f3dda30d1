#include "platform/sandbox/registry_defaults.h"

#include <string_view>
#include <utility>
#include <vector>

#include "core/decimal.h"
#include "core/path_text.h"

namespace velkor::platform::sandbox {
namespace {

// Which views of a redirected key a row goes to.
enum class Scope {
  kNative,  // the 64-bit view (the only view of 32-bit Windows)
  kWow,     // the 32-bit view of 64-bit Windows only
  kBoth,    // both views
};

enum class When { kAlways, k64Bit, kWindows10, kServicePack };

// One default value, or with type kNone a key without values. Key and text may name
// facts in braces ("{profile}"); the text of a DWORD is its decimal number.
struct Row {
  RegistryRoot root;
  Scope scope;
  const char16_t* key;
  const char16_t* name;
  RegistryType type;
  const char16_t* text;
  When when = When::kAlways;
};

constexpr auto kHklm = RegistryRoot::kLocalMachine;
constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kHku = RegistryRoot::kUsers;
constexpr auto kSz = RegistryType::kString;
constexpr auto kExpand = RegistryType::kExpandString;
constexpr auto kDword = RegistryType::kDword;
constexpr auto kKeyOnly = RegistryType::kNone;

constexpr char16_t kNtVersion[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char16_t kVersion[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char16_t kProfiles[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char16_t kUserProfile[] =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\{sid}";
constexpr char16_t kUninstall[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char16_t kRun[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kRunOnce[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char16_t kAppPaths[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char16_t kCommonFolders[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kCommonUserFolders[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char16_t kUserFolders[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kUserUserFolders[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char16_t kUserRun[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kUserRunOnce[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char16_t kEnvironment[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char16_t kComputerName[] =
    u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr char16_t kStartMenu[] = u"AppData\\Roaming\\Microsoft\\Windows\\Start Menu";

// clang-format off
constexpr Row kRows[] = {
  // Version and registration; Windows keeps a copy in each view.
  {kHklm, Scope::kBoth, kNtVersion, u"ProductName", kSz, u"{product}"},
  {kHklm, Scope::kBoth, kNtVersion, u"EditionID", kSz, u"{edition}"},
  {kHklm, Scope::kBoth, kNtVersion, u"InstallationType", kSz, u"{installation}"},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentVersion", kSz, u"{version}"},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentBuild", kSz, u"{build}"},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentBuildNumber", kSz, u"{build}"},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentMajorVersionNumber", kDword, u"{major}", When::kWindows10},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentMinorVersionNumber", kDword, u"{minor}", When::kWindows10},
  {kHklm, Scope::kBoth, kNtVersion, u"UBR", kDword, u"{ubr}", When::kWindows10},
  {kHklm, Scope::kBoth, kNtVersion, u"DisplayVersion", kSz, u"{display}", When::kWindows10},
  {kHklm, Scope::kBoth, kNtVersion, u"CSDVersion", kSz, u"{csd}", When::kServicePack},
  {kHklm, Scope::kBoth, kNtVersion, u"CurrentType", kSz, u"Multiprocessor Free"},
  {kHklm, Scope::kBoth, kNtVersion, u"SoftwareType", kSz, u"System"},
  {kHklm, Scope::kBoth, kNtVersion, u"RegisteredOwner", kSz, u"{owner}"},
  {kHklm, Scope::kBoth, kNtVersion, u"RegisteredOrganization", kSz, u"{organization}"},
  {kHklm, Scope::kBoth, kNtVersion, u"SystemRoot", kSz, u"{windir}"},
  {kHklm, Scope::kBoth, kNtVersion, u"PathName", kSz, u"{windir}"},
  {kHklm, Scope::kNative, kProfiles, u"ProfilesDirectory", kExpand, u"{profiles}"},
  {kHklm, Scope::kNative, kProfiles, u"ProgramData", kExpand, u"{programdata}"},
  {kHklm, Scope::kNative, kProfiles, u"Public", kExpand, u"{public}"},
  {kHklm, Scope::kNative, kUserProfile, u"ProfileImagePath", kExpand, u"{profile}"},

  // Program files: each view sees its own folder as ProgramFilesDir.
  {kHklm, Scope::kNative, kVersion, u"ProgramFilesDir", kSz, u"{pf}"},
  {kHklm, Scope::kNative, kVersion, u"CommonFilesDir", kSz, u"{pf}\\Common Files"},
  {kHklm, Scope::kWow, kVersion, u"ProgramFilesDir", kSz, u"{pfx86}"},
  {kHklm, Scope::kWow, kVersion, u"CommonFilesDir", kSz, u"{pfx86}\\Common Files"},
  {kHklm, Scope::kBoth, kVersion, u"ProgramFilesDir (x86)", kSz, u"{pfx86}", When::k64Bit},
  {kHklm, Scope::kBoth, kVersion, u"CommonFilesDir (x86)", kSz, u"{pfx86}\\Common Files", When::k64Bit},
  {kHklm, Scope::kBoth, kVersion, u"ProgramW6432Dir", kSz, u"{pf}", When::k64Bit},
  {kHklm, Scope::kBoth, kVersion, u"CommonW6432Dir", kSz, u"{pf}\\Common Files", When::k64Bit},
  {kHklm, Scope::kBoth, kVersion, u"ProgramFilesPath", kExpand, u"%ProgramFiles%"},
  {kHklm, Scope::kBoth, kUninstall, nullptr, kKeyOnly, nullptr},
  {kHklm, Scope::kBoth, kRun, nullptr, kKeyOnly, nullptr},
  {kHklm, Scope::kBoth, kRunOnce, nullptr, kKeyOnly, nullptr},
  {kHklm, Scope::kBoth, kAppPaths, nullptr, kKeyOnly, nullptr},

  // Folders shared by all users.
  {kHklm, Scope::kBoth, kCommonFolders, u"Common AppData", kSz, u"{programdata}"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Desktop", kSz, u"{public}\\Desktop"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Documents", kSz, u"{public}\\Documents"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Start Menu", kSz, u"{programdata}\\Microsoft\\Windows\\Start Menu"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Programs", kSz, u"{programdata}\\Microsoft\\Windows\\Start Menu\\Programs"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Startup", kSz, u"{programdata}\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Administrative Tools", kSz, u"{programdata}\\Microsoft\\Windows\\Start Menu\\Programs\\Administrative Tools"},
  {kHklm, Scope::kBoth, kCommonFolders, u"Common Templates", kSz, u"{programdata}\\Microsoft\\Windows\\Templates"},
  {kHklm, Scope::kBoth, kCommonFolders, u"CommonMusic", kSz, u"{public}\\Music"},
  {kHklm, Scope::kBoth, kCommonFolders, u"CommonPictures", kSz, u"{public}\\Pictures"},
  {kHklm, Scope::kBoth, kCommonFolders, u"CommonVideo", kSz, u"{public}\\Videos"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common AppData", kExpand, u"%ProgramData%"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Desktop", kExpand, u"%PUBLIC%\\Desktop"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Documents", kExpand, u"%PUBLIC%\\Documents"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Start Menu", kExpand, u"%ProgramData%\\Microsoft\\Windows\\Start Menu"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Programs", kExpand, u"%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Startup", kExpand, u"%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
  {kHklm, Scope::kBoth, kCommonUserFolders, u"Common Templates", kExpand, u"%ProgramData%\\Microsoft\\Windows\\Templates"},

  // The user's folders: absolute in Shell Folders, relative to %USERPROFILE% in User
  // Shell Folders (the one Windows itself reads).
  {kHkcu, Scope::kNative, kUserFolders, u"Desktop", kSz, u"{profile}\\Desktop"},
  {kHkcu, Scope::kNative, kUserFolders, u"Personal", kSz, u"{profile}\\Documents"},
  {kHkcu, Scope::kNative, kUserFolders, u"AppData", kSz, u"{profile}\\AppData\\Roaming"},
  {kHkcu, Scope::kNative, kUserFolders, u"Local AppData", kSz, u"{profile}\\AppData\\Local"},
  {kHkcu, Scope::kNative, kUserFolders, u"Start Menu", kSz, u"{profile}\\{startmenu}"},
  {kHkcu, Scope::kNative, kUserFolders, u"Programs", kSz, u"{profile}\\{startmenu}\\Programs"},
  {kHkcu, Scope::kNative, kUserFolders, u"Startup", kSz, u"{profile}\\{startmenu}\\Programs\\Startup"},
  {kHkcu, Scope::kNative, kUserFolders, u"Favorites", kSz, u"{profile}\\Favorites"},
  {kHkcu, Scope::kNative, kUserFolders, u"Templates", kSz, u"{profile}\\AppData\\Roaming\\Microsoft\\Windows\\Templates"},
  {kHkcu, Scope::kNative, kUserFolders, u"Recent", kSz, u"{profile}\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
  {kHkcu, Scope::kNative, kUserFolders, u"SendTo", kSz, u"{profile}\\AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
  {kHkcu, Scope::kNative, kUserFolders, u"My Pictures", kSz, u"{profile}\\Pictures"},
  {kHkcu, Scope::kNative, kUserFolders, u"My Music", kSz, u"{profile}\\Music"},
  {kHkcu, Scope::kNative, kUserFolders, u"My Video", kSz, u"{profile}\\Videos"},
  {kHkcu, Scope::kNative, kUserFolders, u"Fonts", kSz, u"{windir}\\Fonts"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Desktop", kExpand, u"%USERPROFILE%\\Desktop"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Personal", kExpand, u"%USERPROFILE%\\Documents"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"AppData", kExpand, u"%USERPROFILE%\\AppData\\Roaming"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Local AppData", kExpand, u"%USERPROFILE%\\AppData\\Local"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Start Menu", kExpand, u"%USERPROFILE%\\{startmenu}"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Programs", kExpand, u"%USERPROFILE%\\{startmenu}\\Programs"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Startup", kExpand, u"%USERPROFILE%\\{startmenu}\\Programs\\Startup"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Favorites", kExpand, u"%USERPROFILE%\\Favorites"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Templates", kExpand, u"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Templates"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"Recent", kExpand, u"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"SendTo", kExpand, u"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"My Pictures", kExpand, u"%USERPROFILE%\\Pictures"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"My Music", kExpand, u"%USERPROFILE%\\Music"},
  {kHkcu, Scope::kNative, kUserUserFolders, u"My Video", kExpand, u"%USERPROFILE%\\Videos"},
  {kHkcu, Scope::kNative, kUserRun, nullptr, kKeyOnly, nullptr},
  {kHkcu, Scope::kNative, kUserRunOnce, nullptr, kKeyOnly, nullptr},
  {kHkcu, Scope::kNative, u"Software\\Classes", nullptr, kKeyOnly, nullptr},
  {kHkcu, Scope::kNative, u"Environment", u"TEMP", kExpand, u"%USERPROFILE%\\AppData\\Local\\Temp"},
  {kHkcu, Scope::kNative, u"Environment", u"TMP", kExpand, u"%USERPROFILE%\\AppData\\Local\\Temp"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"USERNAME", kSz, u"{user}"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"USERDOMAIN", kSz, u"{computer}"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"USERPROFILE", kSz, u"{profile}"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"HOMEDRIVE", kSz, u"{homedrive}"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"HOMEPATH", kSz, u"{homepath}"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"APPDATA", kSz, u"{profile}\\AppData\\Roaming"},
  {kHkcu, Scope::kNative, u"Volatile Environment", u"LOCALAPPDATA", kSz, u"{profile}\\AppData\\Local"},
  {kHku, Scope::kNative, u".DEFAULT", nullptr, kKeyOnly, nullptr},

  // The system.
  {kHklm, Scope::kNative, kEnvironment, u"ComSpec", kExpand, u"%SystemRoot%\\system32\\cmd.exe"},
  {kHklm, Scope::kNative, kEnvironment, u"NUMBER_OF_PROCESSORS", kSz, u"{cpus}"},
  {kHklm, Scope::kNative, kEnvironment, u"OS", kSz, u"Windows_NT"},
  {kHklm, Scope::kNative, kEnvironment, u"Path", kExpand, u"%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem;%SYSTEMROOT%\\System32\\WindowsPowerShell\\v1.0\\"},
  {kHklm, Scope::kNative, kEnvironment, u"PATHEXT", kSz, u".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
  {kHklm, Scope::kNative, kEnvironment, u"PROCESSOR_ARCHITECTURE", kSz, u"{arch}"},
  {kHklm, Scope::kNative, kEnvironment, u"TEMP", kExpand, u"%SystemRoot%\\TEMP"},
  {kHklm, Scope::kNative, kEnvironment, u"TMP", kExpand, u"%SystemRoot%\\TEMP"},
  {kHklm, Scope::kNative, kEnvironment, u"USERNAME", kSz, u"SYSTEM"},
  {kHklm, Scope::kNative, kEnvironment, u"windir", kExpand, u"%SystemRoot%"},
  {kHklm, Scope::kNative, kComputerName, u"ComputerName", kSz, u"{computer}"},
  {kHklm, Scope::kNative, u"SYSTEM\\CurrentControlSet\\Services", nullptr, kKeyOnly, nullptr},
};
// clang-format on

using Fields = std::vector<std::pair<std::u16string_view, std::u16string>>;

// "6.3" from Windows 8.1 on, as Windows keeps it for old programs.
std::u16string VersionText(const RegistryDefaults& d) {
  if (d.major_version > 6 || (d.major_version == 6 && d.minor_version >= 3)) return u"6.3";
  return core::DecimalText(d.major_version) + u"." + core::DecimalText(d.minor_version);
}

Fields MakeFields(const RegistryDefaults& d, const RegistryFacts& facts) {
  const std::u16string_view profile = d.user_profile;
  return {
      {u"product", d.product_name},
      {u"edition", d.edition_id},
      {u"installation", d.installation_type},
      {u"version", VersionText(d)},
      {u"build", core::DecimalText(d.build)},
      {u"major", core::DecimalText(d.major_version)},
      {u"minor", core::DecimalText(d.minor_version)},
      {u"ubr", core::DecimalText(d.update_revision)},
      {u"display", d.display_version},
      {u"csd", d.service_pack},
      {u"owner", d.registered_owner},
      {u"organization", d.registered_organization},
      {u"user", d.user_name},
      {u"computer", d.computer_name},
      {u"cpus", core::DecimalText(d.processor_count)},
      {u"arch", facts.is_64bit_windows ? u"AMD64" : u"x86"},
      {u"sid", facts.user_sid},
      {u"windir", d.windows_folder},
      {u"pf", d.program_files},
      {u"pfx86", d.program_files_x86},
      {u"programdata", d.program_data},
      {u"public", d.public_profile},
      {u"profile", d.user_profile},
      {u"profiles", std::u16string(core::WithoutTrailingBackslash(core::FolderOfPath(profile)))},
      {u"homedrive", std::u16string(profile.substr(0, 2))},
      {u"homepath", std::u16string(profile.size() > 2 ? profile.substr(2) : u"\\")},
      {u"startmenu", kStartMenu},
  };
}

// Replaces each "{field}" with its value.
std::u16string Expand(std::u16string_view text, const Fields& fields) {
  std::u16string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u'{', at);
    const size_t close = open == std::u16string_view::npos ? open : text.find(u'}', open);
    if (close == std::u16string_view::npos) break;
    out.append(text.substr(at, open - at));
    const std::u16string_view name = text.substr(open + 1, close - open - 1);
    for (const auto& [field, value] : fields) {
      if (field == name) out += value;
    }
    at = close + 1;
  }
  if (at < text.size()) out.append(text.substr(at));
  return out;
}

bool Applies(When when, const RegistryDefaults& d, const RegistryFacts& facts) {
  switch (when) {
    case When::kAlways:
      return true;
    case When::k64Bit:
      return facts.is_64bit_windows;
    case When::kWindows10:
      return d.major_version >= 10;
    case When::kServicePack:
      return !d.service_pack.empty();
  }
  return false;
}

std::vector<RegistryView> ViewsOf(Scope scope, const RegistryFacts& facts) {
  if (!facts.is_64bit_windows) {
    if (scope == Scope::kWow) return {};
    return {RegistryView::kView64};
  }
  switch (scope) {
    case Scope::kNative:
      return {RegistryView::kView64};
    case Scope::kWow:
      return {RegistryView::kView32};
    case Scope::kBoth:
      return {RegistryView::kView64, RegistryView::kView32};
  }
  return {};
}

RegistryValue MakeValue(const Row& row, const Fields& fields) {
  const std::u16string text = Expand(row.text, fields);
  if (row.type == RegistryType::kDword) {
    return RegistryValue::Dword(static_cast<uint32_t>(core::ParseInt64(text).value_or(0)));
  }
  return RegistryValue::String(text, row.type);
}

Status WriteRow(Registry& registry, const Row& row, RegistryView view, const Fields& fields) {
  const std::u16string key = Expand(row.key, fields);
  if (Status created = registry.CreateKey(row.root, key, view); !created) return created;
  if (row.type == RegistryType::kNone) return Status::Ok();
  return registry.WriteValue(row.root, key, row.name, MakeValue(row, fields), view);
}

}  // namespace

Status SeedRegistryDefaults(SandboxRegistry& registry, const RegistryDefaults& defaults) {
  const RegistryFacts& facts = registry.facts();
  return registry.RunOnce(u"defaults", [&]() -> Status {
    const Fields fields = MakeFields(defaults, facts);
    for (const Row& row : kRows) {
      if (!Applies(row.when, defaults, facts)) continue;
      for (RegistryView view : ViewsOf(row.scope, facts)) {
        if (Status written = WriteRow(registry, row, view, fields); !written) return written;
      }
    }
    return Status::Ok();
  });
}

}  // namespace velkor::platform::sandbox
