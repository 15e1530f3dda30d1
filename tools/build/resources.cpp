#include "resources.h"

#include <map>

#include "build_error.h"
#include "core/case_mapping.h"
#include "core/text.h"
#include "translations.h"

namespace velkor::build {
namespace {

std::string LowerPath(std::string_view path) {
  return core::Utf16ToUtf8(core::Lower(core::U16(path)));
}

class Collector {
 public:
  void Add(OutputFile file, const std::string& origin) {
    const auto [it, added] = origins_.emplace(LowerPath(file.path), origin);
    if (!added)
      throw BuildError("resource '" + file.path + "' comes from both " + it->second + " and " +
                       origin);
    files_.push_back(std::move(file));
  }

  void AddFolder(const Project& project, const std::string& folder, bool skip_strings) {
    for (const std::string& path : project.source->List(folder)) {
      if (skip_strings && path.ends_with(kLanguageStringsExtension)) continue;
      Add({path.substr(folder.size() + 1), path, std::nullopt}, path);
    }
  }

  void AddMissingRuleFiles() {
    std::vector<OutputFile> rules;
    for (const auto& file : files_)
      if (LowerPath(file.path).ends_with(".dfm") && !origins_.count(LowerPath(file.path + ".vexf")))
        rules.push_back({file.path + ".vexf", {}, std::string()});
    for (auto& rule : rules) Add(std::move(rule), "an empty rule file");
  }

  std::vector<OutputFile> Take() { return std::move(files_); }

 private:
  std::vector<OutputFile> files_;
  std::map<std::string, std::string> origins_;
};

}  // namespace

std::vector<OutputFile> ResourceFiles(const Project& project, std::vector<OutputFile> generated) {
  Collector collector;
  collector.AddFolder(project, kSupportFolder, false);
  collector.AddFolder(project, kDialogsFolder, false);
  collector.AddFolder(project, kLanguagesFolder, true);
  for (auto& file : generated) collector.Add(std::move(file), "the generated translation tables");
  collector.AddMissingRuleFiles();
  return collector.Take();
}

bool HasResource(const std::vector<OutputFile>& resources, std::string_view path) {
  const std::string wanted = LowerPath(path);
  for (const auto& file : resources)
    if (LowerPath(file.path) == wanted) return true;
  return false;
}

}  // namespace velkor::build
