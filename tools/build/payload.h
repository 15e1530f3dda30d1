// File payload: what "Install Files" statements install. Parameter 1 is a list of
// patterns relative to the project's payload folder separated by "|" (the last part of
// each may hold the wildcards * and ?), parameter 2 a "|" list of file-name patterns to
// leave out, parameter 8 a truth text: include subfolders. The engine never reads these
// three; it reads the install map, which this module builds together with the data
// folder, the web media file list and the payload total.
#pragma once

#include <string>
#include <vector>

#include "build_error.h"
#include "build_plan.h"
#include "project.h"

namespace velkor::build {

struct PayloadStatement {
  const ProjectStatement* statement = nullptr;
  SourcePlace place;
  std::u16string header;        // the statement's command header
  std::u16string media_folder;  // "" or ending in "\"
  bool web = false;             // the media folder is a web media block (build mode 2)
};

struct PayloadPlan {
  std::vector<script::InstallMapGroup> install_map;
  std::vector<script::MediaFile> media_files;
  int64_t total = 0;
  std::vector<OutputFile> data;                                 // below data/
  std::map<std::u16string, std::vector<OutputFile>> web_files;  // by block name
};

PayloadPlan PlanPayload(const ProjectSource& source,
                        const std::vector<PayloadStatement>& statements);

// The parameters of "Install Files" that the build tool reads.
inline constexpr int kSourcePatternsParameter = 1;
inline constexpr int kExcludePatternsParameter = 2;
inline constexpr int kSubfoldersParameter = 8;

// The non-empty parts of a "|" separated pattern list.
std::vector<std::u16string> SplitPatternList(std::u16string_view text);

// Where the payload file `name` in `subfolder` (relative to its pattern's folder, '\'
// separated) lies in the project, given the statement's pattern list: the first
// pattern it can come from decides. Empty when none fits.
std::string PayloadSourcePath(std::u16string_view patterns, std::u16string_view subfolder,
                              std::u16string_view name);

// Case-insensitive wildcard match of a file name (* and ?).
bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern);

}  // namespace velkor::build
