// "velkor-build dump": writes the readable project of an engine file. Beside the
// script it recovers what lies next to the engine file: the resource archive (support
// files, dialogs, languages), the package and patch, the splash picture and the data
// folder's payload.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velkor::build {

struct DumpReport {
  std::vector<std::string> warnings;
};

// `project` must not exist yet or be empty. After writing, the project is built in
// memory and compared with the engine file's script; a difference becomes a warning.
DumpReport DumpEngineFile(const std::filesystem::path& engine_file,
                          const std::filesystem::path& project);

}  // namespace velkor::build
