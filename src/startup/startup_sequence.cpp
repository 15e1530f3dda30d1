#include "startup/startup_sequence.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "core/decimal.h"
#include "core/path_text.h"
#include "core/text.h"
#include "interpreter/run_script.h"
#include "platform/registry.h"
#include "script/script_error.h"
#include "script/script_loader.h"
#include "startup/command_line.h"
#include "startup/final_steps.h"
#include "startup/loading_windows.h"
#include "startup/message_caption.h"
#include "startup/out_of_process_extract.h"
#include "startup/support_folder.h"

namespace velkor::startup {
namespace {

constexpr std::u16string_view kDisplayDialog = u"Display Dialog";
constexpr std::u16string_view kCompatibilityAssistantKey =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility "
    u"Assistant\\Persisted";

// A start-up failure that ends the process at once with its exit code: steps that would
// follow (the clean-up included) do not run, so the support folder stays.
struct StartupAbort {
  uint32_t exit_code;
};

// An error of the start-up sequence's own, reported like any other error that reaches it.
struct StartupError {
  std::u16string text;
};

class SetupRun {
 public:
  SetupRun(EngineState& engine, const StartupServices& services)
      : engine_(engine),
        services_(services),
        platform_(engine.platform),
        values_(engine.values),
        trace_(engine.trace),
        loading_(engine.platform, services.windows, engine.messages) {}

  EngineExit Run();

 private:
  void RegisterHostApplication();  // steps 3 and 4
  void ComputeFolders();           // step 5
  void ReadCommandLine();          // step 7
  void CreateSupportFolder();      // step 8
  void OpenLoadingWindows();       // step 9
  void LoadScript();               // step 10
  void ExtractResourceArchive();   // step 11
  void CopyPackages();             // step 12
  void PreloadDialogs();           // step 14
  bool RunInterpreter();           // step 16; false when the process must end at once

  void ReportRuntimeError(const std::u16string& text);
  [[noreturn]] void Abort(uint32_t exit_code, const std::u16string& message);
  void Trace(std::u16string_view line) { trace_.WriteTrace(line); }

  EngineState& engine_;
  const StartupServices& services_;
  platform::Platform& platform_;
  StartupValues& values_;
  RunTrace& trace_;
  LoadingWindows loading_;
  std::optional<script::ScriptTables> script_;
};

EngineExit SetupRun::Run() {
  std::optional<std::u16string> error;
  try {
    values_.engine_path = platform_.process().EngineFilePath();
    values_.engine_file_name = core::FileNameOfPath(values_.engine_path);
    RegisterHostApplication();
    ComputeFolders();
    AttachedLanguageFile(platform_.files(), values_.engine_folder, values_.work_folder,
                         services_.read_language_file);
    ReadCommandLine();
    CreateSupportFolder();
    OpenLoadingWindows();
    LoadScript();
    ExtractResourceArchive();
    CopyPackages();
    values_.data_folder = values_.engine_folder + u"data\\";
    PreloadDialogs();
    loading_.Close();
    Trace(u"  </SetupSplash>");
    // The interpreter took the final steps itself when it ended the process.
    if (!RunInterpreter()) return {values_.exit_code, true};
  } catch (const StartupAbort& abort) {
    return {abort.exit_code, true};
  } catch (const StartupError& startup_error) {
    error = startup_error.text;
  } catch (const script::ScriptError& script_error) {
    error = script_error.message();
  } catch (const std::exception& other_error) {
    error = core::Utf8ToUtf16(other_error.what());
  }
  if (error) ReportRuntimeError(*error);

  script_.reset();
  TakeFinalSteps(engine_, error ? RunEnding::kFailed : RunEnding::kReturned);  // step 18
  if (values_.second_instance) return {0, true};
  return {values_.exit_code, false};
}

void SetupRun::RegisterHostApplication() {
  const platform::OsVersion version = platform_.system().Version();
  platform::Registry& registry = platform_.registry();
  // Both writes only tune how Windows treats the engine; a failure changes nothing else.
  if (version.AtLeast(6, 1)) {
    const std::u16string key = u"Applications\\" + values_.engine_file_name;
    const auto view = platform::RegistryView::kDefault;
    if (registry.CreateKey(platform::RegistryRoot::kClassesRoot, key, view)) {
      (void)registry.WriteValue(platform::RegistryRoot::kClassesRoot, key, u"IsHostApp",
                                platform::RegistryValue::String(u""), view);
    }
  } else if (version.major == 6 && version.minor == 0) {
    const auto view = platform::RegistryView::kDefault;
    if (registry.CreateKey(platform::RegistryRoot::kCurrentUser, kCompatibilityAssistantKey,
                           view)) {
      (void)registry.WriteValue(platform::RegistryRoot::kCurrentUser, kCompatibilityAssistantKey,
                                values_.engine_path, platform::RegistryValue::Dword(32), view);
    }
  }
}

void SetupRun::ComputeFolders() {
  values_.engine_folder = core::FolderOfPath(values_.engine_path);
  values_.base_name = core::BaseNameOfPath(values_.engine_file_name);
  (void)platform_.files().CreateFolder(values_.work_folder);
}

void SetupRun::ReadCommandLine() {
  values_.resource_path = values_.engine_folder + values_.base_name + u".res";
  values_.command_line_rest = CommandLineRest(platform_.process().CommandLine());
  CommandLineSwitches switches = ParseSwitches(platform_.process().Arguments());
  values_.silent = switches.silent;
  values_.update = switches.update;
  values_.group_policy_path = std::move(switches.group_policy_path);
  values_.self_extractor_path = std::move(switches.self_extractor_path);
  values_.log_path = std::move(switches.log_path);
  values_.installed_setup_override = std::move(switches.installed_setup_override);
  values_.equals_variables = std::move(switches.equals_variables);
  values_.colon_variables = std::move(switches.colon_variables);

  trace_.SetLogPath(values_.log_path);
  engine_.variables.SetSilent(values_.silent);
  std::vector<std::u16string> equals_list;
  std::vector<std::u16string> colon_list;
  for (const auto& [name, value] : values_.equals_variables) {
    equals_list.insert(equals_list.end(), {name, value});
  }
  for (const auto& [name, value] : values_.colon_variables) {
    colon_list.insert(colon_list.end(), {name, value});
  }
  engine_.variables.SetCommandLineLists(std::move(equals_list), std::move(colon_list));
}

void SetupRun::CreateSupportFolder() {
  Trace(u"<Velkor>");
  Trace(u"    <SupportDir>");
  values_.support_folder = FindSupportFolder(platform_.files(), values_.work_folder);
  const platform::Status created = platform_.files().CreateFolder(values_.support_folder);
  if (!created) {
    throw StartupError{u"Unable to create the folder " + values_.support_folder + u": " +
                       created.message()};
  }
  Trace(u"    </SupportDir>");
}

void SetupRun::OpenLoadingWindows() {
  Trace(u"  <SetupSplash>");
  if (!values_.silent && !values_.update) loading_.Open(values_);
}

void SetupRun::LoadScript() {
  Trace(u"    <StubSize>");
  script::ScriptLoadResult loaded =
      script::LoadSetupScript(platform_.files(), values_.engine_path, values_.work_folder);
  const script::LoadFailure failure = loaded.failure();
  if (failure == script::LoadFailure::kNoScript) {
    Abort(script::StartupExitCode(failure), std::u16string(kNoScriptMessage));
  }
  // A script cut short was found and copied; it failed while being read.
  if (loaded.ok() || failure == script::LoadFailure::kMalformed) {
    Trace(u"    </StubSize>");
    Trace(u"    <StubData>");
    Trace(u"    </StubData>");
    Trace(u"    <GlobalLists>");
  }
  if (!loaded.ok()) throw StartupError{loaded.message()};
  script_.emplace(loaded.TakeTables());
  Trace(u"    </GlobalLists>");
}

void SetupRun::ExtractResourceArchive() {
  Trace(u"    <ExtractArchive>");
  const MessageTable& messages = engine_.messages;
  if (!platform_.files().FileExists(values_.resource_path)) {
    Abort(14, messages.Text(message::kResourceNotFound));
  }
  if (!ExtractResources(services_.archives, values_.resource_path, values_.support_folder)) {
    Abort(15, messages.Text(message::kResourceDecompressionFailure));
  }
  Trace(u"    </ExtractArchive>");
  loading_.ReloadLogo(values_.support_folder);
}

void SetupRun::CopyPackages() {
  Trace(u"    <ResourcePath>");
  values_.setup_package_path = values_.support_folder + values_.base_name + u".msi";
  platform::FileSystem& files = platform_.files();
  for (const char16_t* extension : {u".msi", u".msp"}) {
    const std::u16string source = values_.engine_folder + values_.base_name + extension;
    const std::u16string target = values_.support_folder + values_.base_name + extension;
    if (!files.FileExists(source)) continue;
    // A package that cannot be copied is looked for where it is needed, not here.
    if (files.CopyFile(source, target, false)) {
      (void)files.SetAttributes(target, platform::attribute::kNormal);
    }
  }
  Trace(u"    </ResourcePath>");
}

void SetupRun::PreloadDialogs() {
  Trace(u"    <Dialogs>");
  const script::StatementTable& statements = script_->statements();
  int32_t count = 0;
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.Command(i) == kDisplayDialog && !statements.IsDisabled(i)) ++count;
  }
  loading_.StartDialogProgress(count);
  engine_.dialogs.InitDialogs(values_.support_folder, engine_.variables);
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.Command(i) != kDisplayDialog || statements.IsDisabled(i)) continue;
    const std::u16string key = core::DecimalText(static_cast<uint64_t>(i));
    engine_.dialogs.LoadDialog(key,
                               values_.support_folder + script_->StatementParam(i, 1) + u".dfm");
    loading_.AdvanceDialogProgress();
  }
  Trace(u"    </Dialogs>");
}

bool SetupRun::RunInterpreter() {
  Trace(u"  <RunScript>");
  const interpreter::RunScriptEnd end = interpreter::RunScript(*script_, engine_);
  if (end == interpreter::RunScriptEnd::kProcessEnded) return false;
  Trace(u"  </RunScript>");
  return true;
}

void SetupRun::ReportRuntimeError(const std::u16string& text) {
  if (!values_.silent) {
    platform_.ui().ShowMessageBox(0, engine_.messages.Text(message::kRuntimeErrorInInstall) + text,
                                  MessageCaption(engine_.caption),
                                  platform::message_box::kOk | platform::message_box::kIconError);
  }
  values_.exit_code = 11;
  loading_.Close();
}

void SetupRun::Abort(uint32_t exit_code, const std::u16string& message) {
  if (!values_.silent) {
    platform_.ui().ShowMessageBox(loading_.Owner(), message, MessageCaption(engine_.caption),
                                  platform::message_box::kOk | platform::message_box::kIconError);
  }
  values_.exit_code = exit_code;
  throw StartupAbort{exit_code};
}

}  // namespace

EngineExit RunEngineProcess(EngineState& engine, const StartupServices& services) {
  platform::Platform& platform = engine.platform;
  StartupValues& values = engine.values;
  values.windows_folder = platform.system().WindowsFolder();
  values.system_folder = platform.system().SystemFolder();
  values.work_folder = platform.files().TempFolder();

  const std::vector<std::u16string> arguments = platform.process().Arguments();
  if (IsOutOfProcessExtract(arguments)) {
    const std::u16string control_file = arguments.size() > 2 ? arguments[2] : std::u16string();
    return {RunOutOfProcessExtraction(platform.files(), services.archives, control_file), false};
  }
  return SetupRun(engine, services).Run();
}

}  // namespace velkor::startup
