// Turns a compiled script back into the readable project form: settings and script
// files. Everything the build derives (keys, media folders, source lines, include
// scopes) is written only where the derivation would not give it back, so that
// building the result reproduces the script.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "project.h"
#include "script/compiled_script.h"

namespace velkor::build {

struct DecompiledProject {
  ProjectSettings settings;
  std::map<std::string, ScriptFile> scripts;
  std::vector<std::string> warnings;  // what the readable form cannot carry
};

DecompiledProject DecompileScript(const script::CompiledScript& script);

// The project's text files: "project.vkp" and every script file, by project path.
inline constexpr char kDumpedProjectFile[] = "project.vkp";
std::map<std::string, std::string> ProjectTexts(const DecompiledProject& project);

}  // namespace velkor::build
