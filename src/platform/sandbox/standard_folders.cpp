#include "platform/sandbox/standard_folders.h"

#include <algorithm>
#include <utility>

namespace velkor::platform::sandbox {
namespace {

using Csidl = std::pair<int, std::u16string>;

std::vector<Csidl> ShellFolders(const StandardFolders& f) {
  namespace sf = shell_folder;
  const std::u16string user_windows = f.roaming_app_data + u"\\Microsoft\\Windows";
  const std::u16string start_menu = user_windows + u"\\Start Menu";
  const std::u16string common_start_menu = f.program_data + u"\\Microsoft\\Windows\\Start Menu";
  return {
      {sf::kDesktop, f.profile + u"\\Desktop"},
      {sf::kPrograms, start_menu + u"\\Programs"},
      {sf::kPersonal, f.profile + u"\\Documents"},
      {sf::kFavorites, f.profile + u"\\Favorites"},
      {sf::kStartup, start_menu + u"\\Programs\\Startup"},
      {sf::kRecent, user_windows + u"\\Recent"},
      {sf::kSendTo, user_windows + u"\\SendTo"},
      {sf::kStartMenu, start_menu},
      {sf::kMyMusic, f.profile + u"\\Music"},
      {sf::kMyVideo, f.profile + u"\\Videos"},
      {sf::kDesktopDirectory, f.profile + u"\\Desktop"},
      {sf::kFonts, f.windows + u"\\Fonts"},
      {sf::kTemplates, user_windows + u"\\Templates"},
      {sf::kCommonStartMenu, common_start_menu},
      {sf::kCommonPrograms, common_start_menu + u"\\Programs"},
      {sf::kCommonStartup, common_start_menu + u"\\Programs\\Startup"},
      {sf::kCommonDesktopDirectory, f.public_profile + u"\\Desktop"},
      {sf::kAppData, f.roaming_app_data},
      {sf::kLocalAppData, f.local_app_data},
      // Since Vista the common favorites are the user's.
      {sf::kCommonFavorites, f.profile + u"\\Favorites"},
      {sf::kCommonAppData, f.program_data},
      {sf::kWindows, f.windows},
      // A 32-bit process is redirected, but the shell still names System32.
      {sf::kSystem, f.system},
      {sf::kProgramFiles, f.process_program_files},
      {sf::kMyPictures, f.profile + u"\\Pictures"},
      {sf::kProfile, f.profile},
      {sf::kSystemX86, f.system_x86},
      {sf::kProgramFilesX86, f.program_files_x86},
      {sf::kProgramFilesCommon, f.process_common_files},
      {sf::kProgramFilesCommonX86, f.common_files_x86},
      {sf::kCommonTemplates, f.program_data + u"\\Microsoft\\Windows\\Templates"},
      {sf::kCommonDocuments, f.public_profile + u"\\Documents"},
      {sf::kCommonAdminTools, common_start_menu + u"\\Programs\\Administrative Tools"},
      {sf::kAdminTools, start_menu + u"\\Programs\\Administrative Tools"},
  };
}

}  // namespace

StandardFolders StandardFoldersOf(const MachineProfile& profile) {
  StandardFolders f;
  f.windows = u"C:\\Windows";
  f.system = f.windows + u"\\System32";
  f.system_x86 = profile.is_64bit_windows ? f.windows + u"\\SysWOW64" : f.system;
  f.program_files = u"C:\\Program Files";
  f.program_files_x86 = profile.is_64bit_windows ? u"C:\\Program Files (x86)" : f.program_files;
  f.common_files = f.program_files + u"\\Common Files";
  f.common_files_x86 = f.program_files_x86 + u"\\Common Files";
  f.program_data = u"C:\\ProgramData";
  f.public_profile = u"C:\\Users\\Public";
  f.profile = u"C:\\Users\\" + profile.user_name;
  f.roaming_app_data = f.profile + u"\\AppData\\Roaming";
  f.local_app_data = f.profile + u"\\AppData\\Local";
  f.temp = f.local_app_data + u"\\Temp";
  f.process_program_files = profile.RunsUnderWow64() ? f.program_files_x86 : f.program_files;
  f.process_common_files = profile.RunsUnderWow64() ? f.common_files_x86 : f.common_files;
  return f;
}

Result<std::u16string> ShellFolderOf(const MachineProfile& profile, int csidl) {
  for (auto& [number, path] : ShellFolders(StandardFoldersOf(profile))) {
    if (number == csidl) return std::move(path);
  }
  return Status::Failure(error::kFileNotFound, u"no shell folder for this CSIDL");
}

std::vector<std::u16string> FoldersOfNewMachine(const MachineProfile& profile) {
  const StandardFolders f = StandardFoldersOf(profile);
  std::vector<std::u16string> folders = {
      f.windows,
      f.system,
      f.system_x86,
      f.windows + u"\\Temp",
      f.program_files,
      f.common_files,
      f.program_files_x86,
      f.common_files_x86,
      f.program_data,
      f.public_profile,
      f.public_profile + u"\\Desktop",
      f.public_profile + u"\\Documents",
      f.profile,
      f.roaming_app_data,
      f.local_app_data,
      f.temp,
  };
  for (const auto& [number, path] : ShellFolders(f)) folders.push_back(path);
  // Sorted, a parent comes before its children.
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  return folders;
}

}  // namespace velkor::platform::sandbox
