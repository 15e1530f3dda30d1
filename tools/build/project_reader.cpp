#include "project_reader.h"

#include "core/text.h"
#include "project_file.h"
#include "script_file.h"

namespace velkor::build {
namespace fs = std::filesystem;

std::string NormalizeProjectPath(std::u16string_view text, const SourcePlace& place) {
  const std::string raw = core::Utf16ToUtf8(text);
  if (raw.empty()) throw BuildError(place, "empty file path");
  if (raw.front() == '/' || raw.front() == '\\' || raw.find(':') != std::string::npos)
    throw BuildError(place, "'" + raw + "' must be a path relative to the project folder");
  std::string out;
  size_t start = 0;
  while (start <= raw.size()) {
    size_t end = raw.find_first_of("/\\", start);
    if (end == std::string::npos) end = raw.size();
    const std::string part = raw.substr(start, end - start);
    if (part == "..") throw BuildError(place, "'" + raw + "' leaves the project folder");
    if (!part.empty() && part != ".") out += (out.empty() ? "" : "/") + part;
    start = end + 1;
  }
  if (out.empty()) throw BuildError(place, "'" + raw + "' names no file");
  return out;
}

namespace {

void LoadScript(Project& project, const std::string& path, const SourcePlace& from) {
  if (project.scripts.count(path)) return;
  const auto bytes = project.source->Read(path);
  if (!bytes) throw BuildError(from, "script file '" + path + "' not found");
  project.scripts[path] = ParseScriptFile(*bytes, path);
  // Copy the includes out first: loading inserts into the map.
  std::vector<std::pair<std::string, SourcePlace>> includes;
  for (const auto& s : project.scripts[path].statements) {
    if (s.disabled || s.command != kIncludeCommand) continue;
    const SourcePlace place{path, s.line};
    if (s.parameters.empty())
      throw BuildError(place, "Include Script needs the script file as parameter 1");
    includes.emplace_back(NormalizeProjectPath(s.parameters[0], place), place);
  }
  for (const auto& [included, place] : includes) LoadScript(project, included, place);
}

}  // namespace

Project ParseProject(std::shared_ptr<const ProjectSource> source, const std::string& project_file) {
  Project project;
  project.project_file = project_file;
  project.source = std::move(source);
  const auto bytes = project.source->Read(project_file);
  if (!bytes) throw BuildError("project file '" + project_file + "' not found");
  project.settings = ParseProjectFile(*bytes, project_file);
  const SourcePlace place{project_file, 0};
  project.settings.script = NormalizeProjectPath(core::U16(project.settings.script), place);
  LoadScript(project, project.settings.script, place);
  return project;
}

Project ParseProjectFiles(std::map<std::string, std::string> files,
                          const std::string& project_file) {
  return ParseProject(MemorySource(std::move(files)), project_file);
}

Project ParseProjectFolder(const fs::path& path) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec))
    return ParseProject(
        FolderSource(path.parent_path().empty() ? fs::path(".") : path.parent_path()),
        path.filename().string());
  if (!fs::is_directory(path, ec)) throw BuildError(path.string() + ": no such project folder");
  std::vector<std::string> candidates;
  for (const auto& entry : fs::directory_iterator(path, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".vkp")
      candidates.push_back(entry.path().filename().string());
  if (candidates.size() != 1)
    throw BuildError(path.string() + ": expected exactly one project file (*.vkp), found " +
                     std::to_string(candidates.size()));
  return ParseProject(FolderSource(path), candidates.front());
}

}  // namespace velkor::build
