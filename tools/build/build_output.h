// Writes a build plan to an output folder: the engine file (base name + ".exe"), the
// resource archive (base name + ".res"), the data folder, web media archives
// (block + ".7zip") and the files shipped beside the engine.
#pragma once

#include <filesystem>
#include <string_view>

#include "build_plan.h"
#include "project_source.h"

namespace velkor::build {

// The data folder of an earlier build in `out` is replaced, so that no stale payload
// survives.
void WriteBuild(const BuildPlan& plan, std::string_view engine_image, const ProjectSource& source,
                const std::filesystem::path& out);

}  // namespace velkor::build
