// A setup project as the build tool reads it: the settings of the project file, the
// script files (the main script and every script it includes), and the source of the
// project's other files (support files, dialogs, languages, payload).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "project_source.h"

namespace velkor::build {

// Fixed folder names inside a project.
inline constexpr char kSupportFolder[] = "support";
inline constexpr char kDialogsFolder[] = "dialogs";
inline constexpr char kLanguagesFolder[] = "languages";
inline constexpr char kPayloadFolder[] = "payload";

// The statement that pulls another script file in; parameter 1 is the file (relative
// to the project folder), parameter 2 the return variable of the included statements.
inline constexpr char16_t kIncludeCommand[] = u"Include Script";

struct ProjectStatement {
  std::u16string command;
  // Parameter 1, 2, ...; a statement without parameters has no parameter block.
  std::vector<std::u16string> parameters;
  bool disabled = false;
  std::u16string key;                          // explicit key; empty: derived
  std::optional<std::u16string> media_folder;  // explicit media folder; none: derived
  int line = 0;                                // 1-based line in its script file
};

struct ScriptFile {
  std::string path;  // project-relative, '/' separated
  std::vector<ProjectStatement> statements;
};

struct WebMediaKeySetting {
  std::u16string block;
  std::u16string text;  // the password, or the stored text as is when `stored`
  bool stored = false;
};

struct ProjectSettings {
  std::u16string product_code;
  std::u16string revision_code;
  std::u16string title;
  // Publisher, Contact, HelpLink, URLUpdateInfo, Comments, DisplayVersion.
  std::array<std::u16string, 6> publisher;
  int32_t build_mode = 0;
  bool language_prompt = false;
  std::u16string default_language;
  int32_t code_page = 1252;
  std::vector<std::u16string> plugin_commands;
  std::vector<std::pair<std::u16string, std::u16string>> constants;
  std::vector<std::pair<std::u16string, int64_t>> component_sizes;
  std::vector<WebMediaKeySetting> web_media_keys;
  std::string script = "main.vks";            // the main script file
  std::string base_name = "setup";            // of the engine file and the files beside it
  std::u16string payload_media = u"OFFLINE";  // default media folder of payload
  std::string package;                        // optional .msi, shipped as base name + ".msi"
  std::string patch;                          // optional .msp
  std::string splash;                         // optional picture, shipped as "setup.bmp"
};

struct Project {
  std::string project_file;  // project-relative path of the project file
  ProjectSettings settings;
  std::map<std::string, ScriptFile> scripts;  // by path; holds settings.script
  std::shared_ptr<const ProjectSource> source;
};

inline constexpr const char* kPublisherNames[6] = {"Publisher",     "Contact",  "HelpLink",
                                                   "URLUpdateInfo", "Comments", "DisplayVersion"};

}  // namespace velkor::build
