// velkor-build: builds a setup from a readable project, and dumps an engine file back
// to one.
//
//   velkor-build build PROJECT -o OUT [--engine PATH|stub|stub64] [--no-check]
//   velkor-build dump ENGINE_FILE -o PROJECT
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "build_error.h"
#include "build_output.h"
#include "compile.h"
#include "dump.h"
#include "host_file.h"
#include "pe_stub.h"
#include "project_reader.h"
#include "script_check.h"

namespace {

namespace fs = std::filesystem;
using namespace velkor::build;

constexpr char kUsage[] =
    "usage:\n"
    "  velkor-build build PROJECT -o OUT_DIR [--engine PATH|stub|stub64] [--no-check]\n"
    "  velkor-build dump ENGINE_FILE -o PROJECT_DIR\n"
    "\n"
    "build  compiles the project (a folder holding one *.vkp file) into OUT_DIR:\n"
    "       the engine file, the resource archive and the data folder.\n"
    "       --engine names the engine image to append the script to; \"stub\"\n"
    "       (the default) and \"stub64\" use a minimal 32/64-bit image that only\n"
    "       the simulator can run. The engine's script check runs on the result\n"
    "       unless --no-check is given.\n"
    "dump   writes the readable project of an engine file into PROJECT_DIR.\n";

struct Arguments {
  std::string command;
  std::string input;
  std::string output;
  std::string engine = "stub";
  bool check = true;
};

bool Parse(int argc, char** argv, Arguments& args) {
  std::vector<std::string> rest(argv + 1, argv + argc);
  if (rest.empty()) return false;
  args.command = rest[0];
  for (size_t i = 1; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if ((a == "-o" || a == "--output") && i + 1 < rest.size()) {
      args.output = rest[++i];
    } else if (a == "--engine" && i + 1 < rest.size() && args.command == "build") {
      args.engine = rest[++i];
    } else if (a == "--no-check" && args.command == "build") {
      args.check = false;
    } else if (!a.empty() && a[0] != '-' && args.input.empty()) {
      args.input = a;
    } else {
      return false;
    }
  }
  return (args.command == "build" || args.command == "dump") && !args.input.empty() &&
         !args.output.empty();
}

std::string EngineImage(const std::string& engine) {
  if (engine == "stub") return MakeStubImage(StubKind::kPe32);
  if (engine == "stub64") return MakeStubImage(StubKind::kPe32Plus);
  std::optional<std::string> image = ReadHostFile(engine);
  if (!image) throw BuildError(engine + ": cannot read the engine image");
  return std::move(*image);
}

int Build(const Arguments& args) {
  const Project project = ParseProjectFolder(args.input);
  const BuildPlan plan = PlanBuild(project);
  if (args.check) CheckCompiledScript(plan.script);
  WriteBuild(plan, EngineImage(args.engine), *project.source, args.output);
  std::cout << "built " << (fs::path(args.output) / (plan.base_name + ".exe")).string() << ": "
            << plan.script.statements.size() << " statements, " << plan.resources.size()
            << " support files, " << plan.script.payload_total << " bytes of payload\n";
  return 0;
}

int Dump(const Arguments& args) {
  const DumpReport report = DumpEngineFile(args.input, args.output);
  for (const auto& warning : report.warnings) std::cerr << "warning: " << warning << "\n";
  std::cout << "dumped " << args.input << " to " << args.output << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (!Parse(argc, argv, args)) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    return args.command == "build" ? Build(args) : Dump(args);
  } catch (const std::exception& e) {
    std::cerr << "velkor-build: " << e.what() << "\n";
    return 1;
  }
}
