// Reads a whole project: the project file, the main script and every script that an
// enabled "Include Script" statement names (include paths are relative to the project
// folder).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "build_error.h"
#include "project.h"

namespace velkor::build {

// `path` is a project folder holding exactly one "*.vkp" file, or that file itself.
Project ParseProjectFolder(const std::filesystem::path& path);

// A project held in memory: file path -> bytes; `project_file` names the project file.
Project ParseProjectFiles(std::map<std::string, std::string> files,
                          const std::string& project_file = "project.vkp");

Project ParseProject(std::shared_ptr<const ProjectSource> source, const std::string& project_file);

// A project-relative file path from a script or setting ('\' or '/' separated), in
// '/' form. Absolute paths and ".." are refused: a project never reaches outside.
std::string NormalizeProjectPath(std::u16string_view text, const SourcePlace& place);

}  // namespace velkor::build
