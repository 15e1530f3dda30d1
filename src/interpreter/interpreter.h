// One run of the setup script: the run phases, the main loop with its fetch rules and
// dispatch, include scoping, the cancel model and the exit sequence. The command
// families reach the run's state and services through this class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "interpreter/dialog_host.h"
#include "interpreter/interpreter_state.h"
#include "interpreter/run_script.h"
#include "platform/platform.h"
#include "script/script_tables.h"
#include "script/variables.h"
#include "startup/engine_state.h"

namespace velkor::interpreter {

class Interpreter {
 public:
  // Everything must outlive the run.
  Interpreter(script::ScriptTables& script, startup::EngineState& engine, DialogHost& dialogs);
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  RunScriptEnd Run();

  platform::Platform& platform() const { return engine_.platform; }
  script::Variables& variables() const { return engine_.variables; }
  startup::EngineState& engine() const { return engine_; }
  script::ScriptTables& script() const { return script_; }
  const script::StatementTable& statements() const { return script_.statements(); }
  DialogHost& dialogs() const { return dialogs_; }

  // The index of the next statement to fetch; the current one is at cursor - 1.
  size_t cursor() const { return cursor_; }
  void set_cursor(size_t cursor) { cursor_ = cursor; }
  size_t current() const { return cursor_ - 1; }

  BlockState& block() { return block_; }
  LoopState& loops() { return loops_; }
  WizardState& wizard() { return wizard_; }
  RandomGeneratorState& random() { return random_; }
  OpenTextFile& text_file() { return text_file_; }
  CommandSettings& settings() { return settings_; }

  // How many statements were dispatched so far.
  uint64_t executed_statements() const { return executed_statements_; }

  // Ends the main script after the current statement (the exit sequence follows).
  void EndScript() { script_ended_ = true; }
  bool ScriptEnded() const { return script_ended_; }
  void set_exit_code(uint32_t code) { engine_.values.exit_code = code; }

  // The label's statement index; nullopt for an unknown label (name any case).
  std::optional<size_t> FindLabel(std::u16string_view name) const;
  // Clears the pending skip and the wizard navigation ("GoTo Label").
  void ResetBlockState();

  // Processes every pending window message now (long scans call it).
  void PumpMessages();
  bool Silent() const { return engine_.variables.Silent(); }

  // The translation of a stored parameter text (statement index, translation ordinal);
  // the text itself when no language is applied or none is found.
  std::u16string Translate(std::u16string_view text, size_t index, int32_t ordinal) const;
  // The same under an explicit translation key (the keys "Localization Variable" forms).
  std::u16string TranslateKey(std::u16string_view text, std::u16string_view key,
                              int32_t ordinal) const;
  // The caption of every message box the run shows.
  std::u16string Caption() const;
  int ShowMessage(std::u16string_view text, uint32_t flags, platform::WindowHandle owner = 0);

  // "Win32", "x64" or "ia64"; chooses the guards below.
  const std::u16string& bitness_mode() const { return bitness_mode_; }
  void set_bitness_mode(std::u16string mode) { bitness_mode_ = std::move(mode); }
  // The registry view of commands that touch the registry: 64-bit when the bitness
  // mode is not "Win32" on 64-bit Windows, else 32-bit; the process's own view on
  // 32-bit Windows.
  platform::RegistryView CommandRegistryView() const;
  // File-system redirection off while the bitness mode is not "Win32" (nested entries
  // do nothing); see FileGuard.
  void EnterFileGuard();
  void LeaveFileGuard();

 private:
  // False when the run must not go on: a failed check, or a second instance.
  bool RunPhasesBeforeMainLoop();
  void BuildLabelIndex();
  bool EnterSingleInstance();
  void MainLoop();
  void IncludeScoping();
  void UpdateCancelState();
  void RefreshProgress();
  void RunStatement(size_t index);
  void ReportRuntimeError(size_t index, std::u16string_view message);
  void ExitStep();
  bool SetupMediaRemoved();
  void FinishAfterMediaRemoval();

  script::ScriptTables& script_;
  startup::EngineState& engine_;
  DialogHost& dialogs_;

  size_t cursor_ = 0;
  uint64_t executed_statements_ = 0;
  bool script_ended_ = false;
  BlockState block_;
  LoopState loops_;
  WizardState wizard_;
  IncludeState includes_;
  ProgressState progress_;
  RandomGeneratorState random_;
  OpenTextFile text_file_;
  CommandSettings settings_;
  std::unordered_map<std::u16string, size_t> labels_;  // upper-case name -> index
  std::u16string bitness_mode_ = u"Win32";
  int file_guard_depth_ = 0;
  bool redirection_disabled_ = false;
  uint32_t last_pump_tick_ = 0;
  std::u16string single_instance_marker_;
};

// Enters the file guard for one scope.
class FileGuard {
 public:
  explicit FileGuard(Interpreter& run) : run_(run) { run_.EnterFileGuard(); }
  ~FileGuard() { run_.LeaveFileGuard(); }
  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;

 private:
  Interpreter& run_;
};

}  // namespace velkor::interpreter
