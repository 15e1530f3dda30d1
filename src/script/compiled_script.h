// The compiled setup script as data: what the build tool produces and what is appended
// to the engine image. The text form (fourteen sections, each ended by a "$" line) is
// written by WriteScriptText and read by the loader; both follow this one description.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velkor::script {

struct ScriptStatement {
  std::u16string command;                  // section 1, e.g. "Set Variable"
  std::u16string key;                      // section 2, braced GUID text, unique in the script
  bool disabled = false;                   // section 4: "C" when commented out
  std::u16string media_folder;             // section 7, e.g. "OFFLINE\" or empty
  std::u16string source_file;              // section 12: source file path
  int32_t source_line = 0;                 // section 12: 0-based line number
  std::u16string include_return_variable;  // section 14 ("0" for the main script)
  int32_t include_depth = 0;               // section 14
  // Section 3: the statement's parameter block (parameter 1, 2, ...). A statement
  // without parameters has no block.
  std::vector<std::u16string> parameters;
};

struct MediaFile {                // section 9 triple
  std::u16string block;           // web media block name
  std::u16string path;            // hex folder + "\" + file name
  std::u16string payload_folder;  // block\header\hexfolder\ .
};

struct InstallMapGroup {  // section 13 group
  std::u16string header;  // 8 hexadecimal digits
  // (payload file path, target subfolder) pairs.
  std::vector<std::pair<std::u16string, std::u16string>> files;
};

struct CompiledScript {
  std::vector<ScriptStatement> statements;
  // Section 5.
  std::u16string product_code;
  std::u16string product_title;
  std::vector<std::u16string> plugin_commands;
  // Section 6: Publisher, Contact, HelpLink, URLUpdateInfo, Comments, DisplayVersion.
  std::array<std::u16string, 6> publisher;
  std::vector<std::pair<std::u16string, std::u16string>> web_media_keys;
  // Section 8.
  int32_t build_mode = 0;
  std::vector<std::pair<std::u16string, int64_t>> component_sizes;
  // Section 9.
  std::u16string revision_code;
  std::vector<MediaFile> media_files;
  // Section 10.
  bool language_prompt = false;
  std::u16string default_language;
  std::vector<std::pair<std::u16string, int32_t>> command_headers;  // (header, statement index)
  // Section 11.
  std::vector<std::pair<std::u16string, std::u16string>> constants;
  // Section 12, first line: read and not used by the engine.
  int32_t code_page = 1252;
  // Section 13.
  int64_t payload_total = 0;
  std::vector<InstallMapGroup> install_map;
};

}  // namespace velkor::script
