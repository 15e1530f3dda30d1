// velkor-sim: runs a built setup inside a sandbox machine and reports what it changed.
//
//   velkor-sim [--machine DIR] [--fresh] [--drive LETTER] [--json] SETUP.EXE [ARGS...]
//
// The setup's folder is copied into the machine as a drive of its own (S: unless
// --drive says otherwise), the engine runs with that copy of SETUP.EXE as its engine
// file, and the change report covers the machine's drives and registry. The simulator
// exits with the setup's exit code.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "change_report.h"
#include "core/text.h"
#include "machine_snapshot.h"
#include "simulator_run.h"

namespace {

namespace fs = std::filesystem;
using velkor::core::Utf8ToUtf16;

struct Options {
  velkor::sim::SimulatorRun run;
  bool json = false;
};

void Usage() {
  std::fprintf(stderr,
               "usage: velkor-sim [--machine DIR] [--fresh] [--drive LETTER] [--json] "
               "SETUP.EXE [SETUP ARGUMENTS...]\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--fresh") {
      options.run.fresh_machine = true;
    } else if (arg == "--machine" && i + 1 < argc) {
      options.run.machine_folder = argv[++i];
    } else if (arg == "--drive" && i + 1 < argc && std::string(argv[i + 1]).size() == 1 &&
               std::isalpha(static_cast<unsigned char>(argv[i + 1][0]))) {
      options.run.drive_letter =
          static_cast<char>(std::toupper(static_cast<unsigned char>(argv[++i][0])));
    } else if (arg == "--help" || arg == "-h") {
      return false;
    } else if (arg.rfind("--", 0) == 0) {
      std::fprintf(stderr, "velkor-sim: unknown option %s\n", arg.c_str());
      return false;
    } else {
      break;
    }
  }
  if (i >= argc) return false;
  options.run.setup_file = argv[i++];
  for (; i < argc; ++i) options.run.arguments.push_back(Utf8ToUtf16(argv[i]));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  auto outcome = velkor::sim::RunSetup(options.run);
  if (!outcome) {
    std::fprintf(stderr, "velkor-sim: %s\n",
                 velkor::core::Utf16ToUtf8(outcome.status().message()).c_str());
    return 2;
  }
  const std::string report =
      options.json ? velkor::sim::FormatReportJson(outcome->exit_code, outcome->changes)
                   : velkor::sim::FormatReportText(outcome->exit_code, outcome->changes);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return static_cast<int>(outcome->exit_code & 0xFF);
}
