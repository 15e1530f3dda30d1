#include "flatten.h"

#include <algorithm>

#include "build_error.h"
#include "core/text.h"
#include "project_reader.h"

namespace velkor::build {
namespace {

struct Flattener {
  const Project& project;
  std::vector<FlatStatement> out;
  std::vector<std::string> stack;  // files being inlined, outermost first

  void Inline(const std::string& path, int depth, const std::u16string& return_variable) {
    const auto it = project.scripts.find(path);
    if (it == project.scripts.end()) throw BuildError("script file '" + path + "' was not read");
    stack.push_back(path);
    for (const ProjectStatement& s : it->second.statements) {
      out.push_back({&s, path, depth, return_variable});
      if (!s.disabled && s.command == kIncludeCommand) Include(s, path, depth);
    }
    stack.pop_back();
  }

  void Include(const ProjectStatement& s, const std::string& path, int depth) {
    const SourcePlace place{path, s.line};
    if (s.parameters.size() < 2 || s.parameters[1].empty())
      throw BuildError(place, "Include Script needs a return variable as parameter 2");
    if (s.parameters[1] == u"0" || s.parameters[1] == u"$")
      throw BuildError(
          place, "'" + core::Utf16ToUtf8(s.parameters[1]) + "' cannot be a return variable name");
    const std::string included = NormalizeProjectPath(s.parameters[0], place);
    if (std::find(stack.begin(), stack.end(), included) != stack.end()) {
      std::string chain;
      for (const auto& file : stack) chain += file + " -> ";
      throw BuildError(place, "include cycle: " + chain + included);
    }
    Inline(included, depth + 1, s.parameters[1]);
  }
};

}  // namespace

std::vector<FlatStatement> FlattenScripts(const Project& project) {
  Flattener f{project, {}, {}};
  f.Inline(project.settings.script, 0, u"0");
  return std::move(f.out);
}

}  // namespace velkor::build
