// Runs a setup script through the whole engine in a fresh sandbox machine: the script
// text is compiled with the build tool's library, placed as C:\setup\setup.exe with a
// small setup.res beside it, and the engine process runs in-process. Afterwards the
// test reads variables, files, message boxes and the run trace.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "build/build_fixture.h"
#include "core/text.h"
#include "interpreter/interpreter.h"
#include "script/script_parser.h"
#include "script/script_text_writer.h"
#include "startup/sandbox/startup_machine.h"

namespace velkor::interpreter::testing {

struct ScriptRunOptions {
  // Arguments after the program, e.g. {u"/s", u"NAME=VALUE"}.
  std::vector<std::u16string> arguments = {u"/s"};
  std::optional<platform::sandbox::MachineProfile> profile;
  // Lines appended to the project file's settings (e.g. a [constants] section).
  std::string project_settings;
  // Further project files (included scripts), by project path.
  std::map<std::string, std::string> project_files;
  // Where the engine runs from; setup.res goes beside it, the trace stays on C:.
  std::u16string engine_file = std::u16string(startup::testing::kEngineFile);
  // The support folder's files (setup.res), by "/"-separated path.
  std::vector<startup::testing::ArchiveFile> support_files = {{"readme.txt", "support file"}};
};

inline constexpr std::u16string_view kTraceFile = u"C:\\setup\\trace.log";

class ScriptRun {
 public:
  explicit ScriptRun(const std::string& script, ScriptRunOptions options = {})
      : options_(WithTrace(std::move(options))),
        machine_(options_.arguments, options_.profile, options_.engine_file) {
    script_ = script;
  }

  startup::testing::StartupMachine& machine() { return machine_; }
  platform::sandbox::SandboxPlatform& platform() { return machine_.platform(); }
  // Set before Run(); the silent host answers otherwise.
  void set_dialog_host(DialogHost* host) { dialog_host_ = host; }

  startup::EngineExit Run() {
    const build::Project project =
        build::testing::MemoryProject(script_, options_.project_files, options_.project_settings);
    machine_.PutEngine(build::CompileProject(project));
    machine_.PutArchive(machine_.engine_folder() + u"setup.res", options_.support_files);
    machine_.files().CreateFolder(kTraceFile.substr(0, kTraceFile.find_last_of(u'\\')));
    run_.emplace(machine_);
    run_->engine().dialog_host = dialog_host_;
    return run_->Run();
  }

  // Only after Run().
  startup::EngineState& engine() { return run_->engine(); }
  std::u16string Var(std::u16string_view name) { return engine().variables.GetVariable(name); }
  std::string Var8(std::u16string_view name) { return core::Utf16ToUtf8(Var(name)); }
  bool Exists(std::u16string_view name) { return engine().variables.VariableExists(name); }
  std::vector<platform::sandbox::MessageBoxRecord> message_boxes() { return run_->message_boxes(); }
  std::optional<std::string> ReadFile(std::u16string_view path) { return machine_.Read(path); }
  std::vector<std::u16string> Trace() {
    return startup::testing::TraceLines(machine_.Read(kTraceFile).value_or(""));
  }

 private:
  static ScriptRunOptions WithTrace(ScriptRunOptions options) {
    options.arguments.push_back(u"/l=" + std::u16string(kTraceFile));
    return options;
  }

  ScriptRunOptions options_;
  startup::testing::StartupMachine machine_;
  std::string script_;
  DialogHost* dialog_host_ = nullptr;
  std::optional<startup::testing::EngineRun> run_;
};

// An interpreter over a compiled script on a fresh machine, without the start-up
// sequence around it: for tests that call the run's services directly.
class DirectRun {
 public:
  explicit DirectRun(const std::string& script, std::vector<std::u16string> arguments = {u"/s"})
      : machine_(std::move(arguments)),
        tables_(Tables(script)),
        variables_(store_),
        engine_(machine_.platform(), variables_),
        run_(tables_, engine_, dialogs_) {}

  startup::testing::StartupMachine& machine() { return machine_; }
  platform::sandbox::SandboxPlatform& platform() { return machine_.platform(); }
  script::Variables& variables() { return variables_; }
  startup::EngineState& engine() { return engine_; }
  Interpreter& run() { return run_; }

 private:
  static script::ScriptTables Tables(const std::string& script) {
    const build::Project project = build::testing::MemoryProject(script);
    script::ScriptLoadResult loaded =
        script::ParseScriptText(script::WriteScriptText(build::CompileProject(project)));
    return loaded.TakeTables();
  }

  startup::testing::StartupMachine machine_;
  script::ScriptTables tables_;
  script::TVariableManager store_;
  script::Variables variables_;
  startup::EngineState engine_;
  SilentDialogHost dialogs_;
  Interpreter run_;
};

}  // namespace velkor::interpreter::testing
