// Where the sandbox's Windows keeps its standard folders, as a Windows 10 installation
// on drive C lays them out for the profile's user. Windows paths without a trailing
// backslash. Pure functions of the profile; thread-safe.
#pragma once

#include <string>
#include <vector>

#include "platform/sandbox/machine_profile.h"
#include "platform/status.h"

namespace velkor::platform::sandbox {

struct StandardFolders {
  std::u16string windows;            // C:\Windows
  std::u16string system;             // C:\Windows\System32
  std::u16string system_x86;         // C:\Windows\SysWOW64 on 64-bit Windows, else System32
  std::u16string program_files;      // the native one: C:\Program Files
  std::u16string program_files_x86;  // C:\Program Files (x86) on 64-bit Windows
  std::u16string common_files;       // C:\Program Files\Common Files
  std::u16string common_files_x86;   // C:\Program Files (x86)\Common Files on 64-bit Windows
  std::u16string program_data;       // C:\ProgramData
  std::u16string public_profile;     // C:\Users\Public
  std::u16string profile;            // C:\Users\<user>
  std::u16string roaming_app_data;   // <profile>\AppData\Roaming
  std::u16string local_app_data;     // <profile>\AppData\Local
  std::u16string temp;               // <profile>\AppData\Local\Temp

  // What a process of the profile's bitness sees as "Program Files": the (x86) folders
  // for a 32-bit process on 64-bit Windows.
  std::u16string process_program_files;
  std::u16string process_common_files;
};

StandardFolders StandardFoldersOf(const MachineProfile& profile);

// SHGetFolderPath for the CSIDLs of system_info.h; kFileNotFound for others.
Result<std::u16string> ShellFolderOf(const MachineProfile& profile, int csidl);

// Every folder a new machine gets, parents before children.
std::vector<std::u16string> FoldersOfNewMachine(const MachineProfile& profile);

}  // namespace velkor::platform::sandbox
