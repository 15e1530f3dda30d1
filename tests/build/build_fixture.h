// Small helpers for the build tool's tests: projects held in memory and the in-memory
// half of a dump (engine file -> project texts).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "compile.h"
#include "decompile.h"
#include "engine_file.h"
#include "pe_stub.h"
#include "project_reader.h"
#include "script/script_text_writer.h"
#include "script_reader.h"

namespace velkor::build::testing {

inline constexpr char kProductCode[] = "{0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}";

inline std::string ProjectFileText(const std::string& extra = "") {
  return std::string("product-code = ") + kProductCode +
         "\nrevision-code = {9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}\ntitle = Test Product\n" + extra;
}

// A project of `main.vks` and any further files; `settings` is appended to the
// top-level settings of the project file.
inline Project MemoryProject(const std::string& main_script,
                             std::map<std::string, std::string> files = {},
                             const std::string& settings = "") {
  if (!files.count("project.vkp")) files["project.vkp"] = ProjectFileText(settings);
  files["main.vks"] = main_script;
  return ParseProjectFiles(std::move(files));
}

inline std::string EngineFileOf(const Project& project) {
  return BuildEngineFile(MakeStubImage(), CompileProject(project));
}

// Engine file -> readable project texts -> project again (without the files that lie
// beside an engine file).
inline Project Redump(const std::string& engine_file) {
  const auto parts = SplitEngineFile(engine_file);
  const auto texts = ProjectTexts(DecompileScript(ReadCompiledScript(parts.script)));
  return ParseProjectFiles({texts.begin(), texts.end()}, kDumpedProjectFile);
}

inline std::filesystem::path SourceRoot() {
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

}  // namespace velkor::build::testing
