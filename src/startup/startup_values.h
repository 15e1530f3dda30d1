// The start-up values: what the process entry works out once (folders, file paths,
// switches) and every later part of the engine reads. One instance per process, owned
// by the entry and handed by reference to whoever needs it; only the entry writes the
// folders and switches, the interpreter writes the exit code and the second-instance
// flag. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::startup {

// One NAME=VALUE or NAME:VALUE argument; the name is upper-cased, the value kept.
struct CommandLineVariable {
  std::u16string name;
  std::u16string value;

  bool operator==(const CommandLineVariable&) const = default;
};

struct StartupValues {
  // The engine file (argument 0 as the system resolves it) and its file name.
  std::u16string engine_path;
  std::u16string engine_file_name;
  // Folders carry a trailing backslash.
  std::u16string engine_folder;   // EXEDIR
  std::u16string base_name;       // engine file name without its extension
  std::u16string windows_folder;  // read at runtime start for the interpreter
  std::u16string system_folder;
  std::u16string work_folder;         // TEMPDIR: the system temporary folder
  std::u16string support_folder;      // SUPPORTDIR: work folder + "vex" + N + "\"
  std::u16string resource_path;       // engine folder + base name + ".res"
  std::u16string setup_package_path;  // MSIFILE: support folder + base name + ".msi"
  std::u16string data_folder;         // engine folder + "data\"

  std::u16string command_line_rest;  // CMDLINE
  bool silent = false;
  // "/update" or "/updatesetup": no splash and no preparing window, not silent.
  bool update = false;
  std::u16string log_path;                            // "/l=", published as LOGGED
  std::u16string group_policy_path;                   // "/g="
  std::u16string self_extractor_path;                 // "/m="
  std::u16string installed_setup_override;            // "/p=", with a trailing backslash when set
  std::vector<CommandLineVariable> equals_variables;  // NAME=VALUE arguments
  std::vector<CommandLineVariable> colon_variables;   // NAME:VALUE arguments

  uint32_t exit_code = 0;
  // Set by the interpreter's single-instance guard: the process then ends at once.
  bool second_instance = false;
};

}  // namespace velkor::startup
