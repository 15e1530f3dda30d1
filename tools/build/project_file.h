// The project file: "key = value" settings, then sections ([publisher], [plug-ins],
// [constants], [components], [web-media-keys], [web-media-stored-keys]). The format is
// described in docs/project-format.md.
#pragma once

#include <string>
#include <string_view>

#include "project.h"

namespace velkor::build {

ProjectSettings ParseProjectFile(std::string_view bytes, const std::string& file);
std::string WriteProjectFile(const ProjectSettings& settings);

}  // namespace velkor::build
