#include "interpreter/interpreter.h"

#include <exception>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/text.h"
#include "core/truth.h"
#include "interpreter/command_table.h"
#include "interpreter/control_flow.h"
#include "interpreter/plugin_commands.h"
#include "interpreter/reserved_variables.h"
#include "interpreter/statement.h"
#include "script/script_check.h"
#include "script/script_error.h"
#include "startup/final_steps.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kIgnore = u"Ignore";
constexpr std::u16string_view kLabel = u"Label";
// Messages are pumped between statements at most this often, so that tight loops run
// without window-message overhead while the windows stay responsive.
constexpr uint32_t kPumpIntervalMs = 314;

std::u16string FileNameWithoutExtension(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string_view::npos) name = name.substr(0, dot);
  return std::u16string(name);
}

}  // namespace

Interpreter::Interpreter(script::ScriptTables& script, startup::EngineState& engine,
                         DialogHost& dialogs)
    : script_(script), engine_(engine), dialogs_(dialogs) {}

RunScriptEnd Interpreter::Run() {
  if (!RunPhasesBeforeMainLoop()) {
    return engine_.values.second_instance ? RunScriptEnd::kReturned : RunScriptEnd::kProcessEnded;
  }
  // The cancel button (or the sandbox's request) reaches the run through the message
  // pump; the cancel state turns it into ABORT before the next statement.
  platform().ui().SetCancelHandler(
      [this] { variables().SetVariable(u"KEVO_IsCancelled", u"TRUE", u"User Cancel"); });
  MainLoop();
  platform().ui().SetCancelHandler(nullptr);

  startup::RunTrace& trace = engine_.trace;
  trace.WriteTrace(u"    </kevo>");
  trace.WriteTrace(u"    <ExitScript>");
  ExitStep();
  trace.WriteTrace(u"    </ExitScript>");
  if (SetupMediaRemoved()) {
    FinishAfterMediaRemoval();
    return RunScriptEnd::kProcessEnded;
  }
  return RunScriptEnd::kReturned;
}

bool Interpreter::RunPhasesBeforeMainLoop() {
  startup::RunTrace& trace = engine_.trace;
  trace.WriteTrace(u"    <Variables>");
  loops_ = {};
  labels_.clear();
  bitness_mode_ = u"Win32";
  trace.WriteTrace(u"    </Variables>");

  trace.WriteTrace(u"    <CompileScript>");
  if (!script::CheckScript(script_, variables()).ok()) {
    engine_.values.exit_code = kCheckFailedExitCode;
    return false;
  }
  trace.WriteTrace(u"    </CompileScript>");

  variables().ClearVariables();
  DefineWorkerChannel(engine_);
  SetPreInitialization(engine_, script_);

  trace.WriteTrace(u"    <BootStrap>");
  RunBootstrap(engine_, script_);
  trace.WriteTrace(u"    </BootStrap>");

  BuildLabelIndex();
  if (!EnterSingleInstance()) return false;

  trace.WriteTrace(u"    <kevo>");
  SetInitializationVariables(engine_, script_);
  InjectCommandLine(engine_);
  return true;
}

void Interpreter::BuildLabelIndex() {
  const script::StatementTable& table = statements();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table.Command(i) != kLabel) continue;
    // The first label of a name wins, as a search from the top would find it.
    labels_.try_emplace(core::Upper(script_.StatementParam(i, 1)), i);
  }
}

bool Interpreter::EnterSingleInstance() {
  if (!core::EqualIgnoreCase(script_.ExpandCompileConstants(u"#SINGLEINSTANCE#"), u"TRUE")) {
    return true;
  }
  const std::u16string marker =
      engine_.values.work_folder + engine_.identity.revision_code + u".vex";
  platform::FileSystem& files = platform().files();
  if (files.FileExists(marker)) {
    engine_.values.second_instance = true;
    return false;
  }
  if (files.WriteFile(marker, {})) single_instance_marker_ = marker;
  return true;
}

void Interpreter::MainLoop() {
  const script::StatementTable& table = statements();
  last_pump_tick_ = platform().system().TickCount();
  while (!ScriptEnded() && cursor_ < table.size()) {
    const uint32_t now = platform().system().TickCount();
    if (now - last_pump_tick_ > kPumpIntervalMs) {
      PumpMessages();
    }
    RefreshEngineSettings(engine_, script_);
    RunPendingSkip(*this);
    IncludeScoping();
    if (block_.wizard_navigation) NavigateWizard(*this);
    while (cursor_ < table.size() &&
           (table.IsDisabled(cursor_) || table.Command(cursor_) == kIgnore)) {
      ++cursor_;
    }
    if (cursor_ >= table.size()) break;
    const size_t index = cursor_++;
    ++executed_statements_;
    UpdateCancelState();
    RefreshProgress();
    RunStatement(index);
  }
}

void Interpreter::PumpMessages() {
  platform().ui().PumpMessages();
  last_pump_tick_ = platform().system().TickCount();
}

void Interpreter::IncludeScoping() {
  const script::StatementTable& table = statements();
  if (cursor_ >= table.size()) return;
  const int32_t depth = table.IncludeDepth(cursor_).value_or(0);
  // One level saved or restored per level of difference, so that a jump across two
  // levels keeps the saved scopes paired.
  for (int32_t level = includes_.previous_depth; level < depth; ++level) {
    includes_.stack.push_back({loops_, block_});
  }
  for (int32_t level = includes_.previous_depth; level > depth && !includes_.stack.empty();
       --level) {
    loops_ = std::move(includes_.stack.back().loops);
    block_ = includes_.stack.back().block;
    includes_.stack.pop_back();
  }
  includes_.previous_depth = depth;
}

void Interpreter::UpdateCancelState() {
  const bool cancelled = core::TruthOf(variables().GetVariable(u"KEVO_IsCancelled"));
  variables().SetVariable(u"ABORT", core::TruthText(cancelled), u"Cancel State");
}

void Interpreter::RefreshProgress() {
  if (wizard_.current_window == 0) return;
  std::u16string text = variables().GetVariable(u"PROGRESSTEXT");
  const int64_t position = core::ParseInt64(variables().GetVariable(u"PROGRESS")).value_or(0);
  if (!progress_.changed && text == progress_.text && position == progress_.position) return;
  progress_ = {std::move(text), position, false};
  dialogs_.ShowProgress(progress_.text, progress_.position);
  platform().ui().PumpMessages();
}

void Interpreter::RunStatement(size_t index) {
  const std::u16string_view command = statements().Command(index);
  Statement statement(*this, index);
  try {
    if (script_.PluginCommands().Find(command)) {
      RunPluginCommand(statement);
    } else if (const CommandBranch branch = BuiltInCommands().Find(command)) {
      branch(statement);
    }
  } catch (const script::ScriptError& error) {
    ReportRuntimeError(index, error.message());
  } catch (const std::exception& error) {
    ReportRuntimeError(index, core::Utf8ToUtf16(error.what()));
  }
}

void Interpreter::ReportRuntimeError(size_t index, std::u16string_view message) {
  if (!Silent()) {
    const script::StatementTable& table = statements();
    const int32_t line = table.SourceLine(index).value_or(0);
    std::u16string text = u"Runtime error in setup script:\r\rSource File: ";
    text += FileNameWithoutExtension(table.SourceFile(index));
    text += u"\rLine Number: ";
    text += core::DecimalText(static_cast<int64_t>(line) + 1);
    text += u"\r\r";
    text += message;
    ShowMessage(text, platform::message_box::kOk | platform::message_box::kIconError);
  }
  EndScript();
}

void Interpreter::ExitStep() {
  if (!single_instance_marker_.empty()) {
    platform().files().DeleteFile(single_instance_marker_);
    single_instance_marker_.clear();
  }
  text_file_ = {};
  dialogs_.FreeDialogs();
  loops_ = {};
  labels_.clear();
}

bool Interpreter::SetupMediaRemoved() {
  const std::u16string& folder = engine_.values.engine_folder;
  if (folder.size() < 3) return false;
  platform::FileSystem& files = platform().files();
  return files.DriveType(folder.substr(0, 3)) != platform::drive_type::kFixed &&
         !files.FolderExists(folder);
}

void Interpreter::FinishAfterMediaRemoval() {
  engine_.trace.WriteTrace(u"  </RunScript>");
  startup::TakeFinalSteps(engine_, startup::RunEnding::kRemovableMediaRemoved);
}

std::optional<size_t> Interpreter::FindLabel(std::u16string_view name) const {
  const auto found = labels_.find(core::Upper(name));
  if (found == labels_.end()) return std::nullopt;
  return found->second;
}

void Interpreter::ResetBlockState() {
  block_ = {};
}

std::u16string Interpreter::Translate(std::u16string_view text, size_t index,
                                      int32_t ordinal) const {
  // Translation tables arrive with the language support; until a language is applied
  // every text stays as stored.
  (void)index;
  (void)ordinal;
  return std::u16string(text);
}

std::u16string Interpreter::TranslateKey(std::u16string_view text, std::u16string_view key,
                                         int32_t ordinal) const {
  // As Translate: no translation tables yet.
  (void)key;
  (void)ordinal;
  return std::u16string(text);
}

std::u16string Interpreter::Caption() const {
  return startup::MessageCaption(engine_.caption);
}

int Interpreter::ShowMessage(std::u16string_view text, uint32_t flags,
                             platform::WindowHandle owner) {
  return platform().ui().ShowMessageBox(owner, text, Caption(), flags);
}

platform::RegistryView Interpreter::CommandRegistryView() const {
  if (!platform().system().Is64BitWindows()) return platform::RegistryView::kDefault;
  return bitness_mode_ == u"Win32" ? platform::RegistryView::kView32
                                   : platform::RegistryView::kView64;
}

void Interpreter::EnterFileGuard() {
  if (file_guard_depth_++ > 0) return;
  if (bitness_mode_ != u"Win32" && platform().system().Is64BitWindows()) {
    platform().files().SetRedirectionDisabled(true);
    redirection_disabled_ = true;
  }
}

void Interpreter::LeaveFileGuard() {
  if (--file_guard_depth_ > 0) return;
  if (redirection_disabled_) {
    platform().files().SetRedirectionDisabled(false);
    redirection_disabled_ = false;
  }
}

}  // namespace velkor::interpreter
