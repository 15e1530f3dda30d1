// The build tool's public interface, for the command line and for tests that build
// setups in memory. See docs/project-format.md.
//
//   Project p = ParseProjectFiles({{"project.vkp", ...}, {"main.vks", ...}});
//   script::CompiledScript script = CompileProject(p);
//   std::string exe = BuildEngineFile(MakeStubImage(), script);
//
// Every function throws BuildError on bad input; nothing here keeps global state.
#pragma once

#include "build_error.h"     // BuildError, SourcePlace
#include "build_output.h"    // WriteBuild
#include "build_plan.h"      // BuildPlan, OutputFile
#include "compile.h"         // PlanBuild, CompileProject
#include "decompile.h"       // DecompileScript, ProjectTexts
#include "dump.h"            // DumpEngineFile
#include "engine_file.h"     // BuildEngineFile, SplitEngineFile
#include "pe_stub.h"         // MakeStubImage
#include "project.h"         // Project, ProjectSettings, ProjectStatement
#include "project_reader.h"  // ParseProjectFolder, ParseProjectFiles
#include "script_check.h"    // CheckCompiledScript
#include "script_reader.h"   // ReadCompiledScript
