// Where a project's files come from: a folder on disk, or texts held in memory (test
// fixtures build whole setups without touching the disk). Paths are project-relative,
// '/' separated, and compared exactly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::build {

class ProjectSource {
 public:
  virtual ~ProjectSource() = default;
  // Every file below `folder` ("" for all), recursively, sorted by path.
  virtual std::vector<std::string> List(std::string_view folder) const = 0;
  virtual bool Exists(std::string_view path) const = 0;
  virtual std::optional<std::string> Read(std::string_view path) const = 0;
  virtual uint64_t Size(std::string_view path) const = 0;
  // Writes the file's bytes to `target` (whose folder exists).
  virtual void CopyTo(std::string_view path, const std::filesystem::path& target) const = 0;
};

std::shared_ptr<const ProjectSource> FolderSource(std::filesystem::path root);
std::shared_ptr<const ProjectSource> MemorySource(std::map<std::string, std::string> files);

}  // namespace velkor::build
