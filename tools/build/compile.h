// Compiles a project into a build plan: the compiled script and every file of the
// build. Everything generated (statement keys, command headers, hexadecimal folder
// names) is derived from the project alone, so two builds of one project are
// byte-identical.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "build_plan.h"
#include "project.h"

namespace velkor::build {

BuildPlan PlanBuild(const Project& project);
script::CompiledScript CompileProject(const Project& project);

// The key a statement gets when the project gives none: a name-based GUID of the
// product code and the statement's index in the compiled script.
std::u16string DerivedStatementKey(const std::u16string& product_code, size_t index);

// The media folder a statement gets without [media=]: file-installing commands take
// the web media block in force, else the project's payload media; others get none.
std::u16string DerivedMediaFolder(std::u16string_view command, const std::u16string& block,
                                  const std::u16string& payload_media);

// Updates `block`, the web media block in force, after a statement (compiled order).
void FollowWebMediaBlock(std::u16string_view command, bool disabled,
                         const std::vector<std::u16string>& parameters, std::u16string& block);

// Source file text of a script path in the compiled script ('\' separated).
std::u16string CompiledSourceFile(const std::string& path);
std::string ProjectPathOfSourceFile(std::u16string_view source_file);

}  // namespace velkor::build
