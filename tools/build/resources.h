// The content of the resource archive (extracted into the support folder at start-up):
// the support folder, the dialogs (each .dfm with its .dfm.vexf rule file, empty when
// the project has none), the language folder's files and the generated translation
// tables.
#pragma once

#include <vector>

#include "build_plan.h"
#include "project.h"

namespace velkor::build {

std::vector<OutputFile> ResourceFiles(const Project& project, std::vector<OutputFile> generated);

// True when the resources hold the file (compared without regard to case, as the
// engine finds them on Windows).
bool HasResource(const std::vector<OutputFile>& resources, std::string_view path);

}  // namespace velkor::build
