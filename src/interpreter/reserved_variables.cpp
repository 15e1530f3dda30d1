#include "interpreter/reserved_variables.h"

#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/path_text.h"
#include "core/truth.h"
#include "startup/administrator_test.h"
#include "startup/cache_move.h"
#include "startup/installer_cache.h"

namespace velkor::interpreter {
namespace {

using startup::kTagInitialization;

struct InitialValue {
  std::u16string_view name;
  std::u16string value;
  // Restored from an earlier installation by the bootstrap: that value stays.
  bool keep_existing = false;
};

struct RegisteredUser {
  std::u16string owner;
  std::u16string organization;
};

// Windows keeps these in its 64-bit view: a 32-bit engine under WOW64 must look there.
RegisteredUser ReadRegisteredUser(platform::Platform& platform) {
  platform::SystemInfo& system = platform.system();
  const std::u16string_view key = startup::IsWindows9x(system)
                                      ? u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
                                      : u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  const platform::RegistryView view =
      system.IsWow64Process() ? platform::RegistryView::kView64 : platform::RegistryView::kDefault;
  const auto read = [&](std::u16string_view name) {
    auto value =
        platform.registry().ReadValue(platform::RegistryRoot::kLocalMachine, key, name, view);
    return value.ok() ? value->AsString() : std::u16string();
  };
  return {read(u"RegisteredOwner"), read(u"RegisteredOrganization")};
}

// The folder of a start-up path with its backslash; empty without the path (or when
// the path names no folder, which must not become the root of the current drive).
std::u16string FolderVariable(std::u16string_view path) {
  return core::WithTrailingBackslash(core::FolderOfPath(path));
}

// A reference, expanded wherever the script reads SETUPPATH.
std::u16string SetupPathReference(std::u16string_view gpo_path, std::u16string_view sfx_path) {
  if (!gpo_path.empty()) return u"$GPOPATH$";
  if (!sfx_path.empty()) return u"$SFXPATH$";
  return u"$EXEDIR$";
}

bool Glass(platform::SystemInfo& system) {
  return system.DesktopCompositionEnabled() ||
         (system.VisualStylesEnabled() && system.Version().AtLeast(6, 0));
}

std::vector<InitialValue> EngineSwitchDefaults() {
  return {
      {u"KEVO_TIMEOUT", u"10"},
      {u"KEVO_COMPRESS_INSTALLER_CACHE", u"FALSE"},
      {u"KEVO_DISABLE_ROLLBACK", u"FALSE"},
      {u"KEVO_DISABLE_VISTA_RESTART_MANAGER", u"FALSE"},
      {u"CHARSET_OVERRIDE", u""},
      {u"NATIVE_ENGINE", u"FALSE", true},
      {u"NATIVE_LOGGING", u""},
      {u"NATIVE_ROLLBACK", u"TRUE"},
      {u"NATIVE_HARDLINK", u"TRUE"},
      {u"NATIVE_ERROR", u"PROMPT"},
      {u"NATIVE_OVERWRITE", u"PROMPT"},
      {u"NATIVE_OVERWRITE_OLDER", u"FALSE"},
      {u"NATIVE_PROGRESS", u"0"},
      {u"DELAYUNTIL_APPLYCHANGES", u"FALSE"},
      {u"NATIVE_OVERRIDE_PERMISSIONS", u"FALSE"},
      {u"NATIVE_OVERRIDE_NON_RESTORABLE_PERMISSIONS", u"FALSE"},
      {u"IISHOST", u"localhost"},
      {u"OVERRIDECACHE", u"", true},
      {u"KEVOLOGO", u""},
      {u"SELECTED", u"0"},
      {u"WINDOWHANDLE", u"0"},
  };
}

std::vector<InitialValue> InitializationList(startup::EngineState& engine,
                                             const script::ScriptTables& script) {
  const startup::StartupValues& values = engine.values;
  platform::SystemInfo& system = engine.platform.system();
  const RegisteredUser user = ReadRegisteredUser(engine.platform);
  const platform::LocalTime now = system.Now();
  const std::u16string sfx_path = FolderVariable(values.self_extractor_path);
  const std::u16string gpo_path = FolderVariable(values.group_policy_path);
  using script::PublisherText;

  std::vector<InitialValue> list = EngineSwitchDefaults();
  list.insert(list.end(),
              {
                  {u"EXEFILE", values.engine_path},
                  {u"EXEDIR", values.engine_folder},
                  {u"PROGRESSTEXT", u""},
                  {u"PROGRESSMODE", u""},
                  {u"CUSTOM_TASKBAR_PROGRESS_ENABLED", u"FALSE"},
                  {u"CUSTOM_TASKBAR_PROGRESS_PERCENT", u"0"},
                  {u"CUSTOM_TASKBAR_PROGRESS_MAX", u"100"},
                  {u"ABORT", u"FALSE"},
                  {u"PROGRESS", u"0"},
                  {u"LASTERROR", u""},
                  {u"LICENSE", u"FALSE"},
                  {u"USERNAME", user.owner},
                  {u"USERCOMPANY", user.organization},
                  {u"COPYWEBLOCK", u""},
                  {u"REBOOTCOMPUTER", u"FALSE"},
                  {u"RUNAPP", u"TRUE"},
                  {u"WIZARD", u"NEXT"},
                  {u"FX", u"SLIDE"},
                  {u"FXGROUND", u"BACKGROUND"},
                  {u"FXTIME", u"1000"},
                  {u"VERSION", script.Publisher(PublisherText::kDisplayVersion)},
                  {u"SILENT", core::TruthText(values.silent)},
                  {u"LOGGED", values.log_path},
                  {u"CMDLINE", values.command_line_rest},
                  {u"REBOOTNOW", u"OK"},
                  {u"SFXPATH", sfx_path},
                  {u"SFXFILE", std::u16string(core::FileNameOfPath(values.self_extractor_path))},
                  {u"GPOPATH", gpo_path},
                  {u"SETUPPATH", SetupPathReference(gpo_path, sfx_path)},
                  {u"COMPLETE", u"TRUE"},
                  {u"NEWLINE", u"\r\n"},
                  {u"MINIMUM", u"FALSE"},
                  {u"PERSONALIZED", u"FALSE"},
                  {u"MODIFY", u"TRUE"},
                  {u"GLASS", core::TruthText(Glass(system))},
                  {u"REPAIR", u"FALSE"},
                  {u"REMOVE", u"FALSE"},
                  {u"ROOTDIR", values.engine_folder},
                  {u"TITLE", engine.identity.title},
                  {u"COMPANY", script.Publisher(PublisherText::kPublisher)},
                  {u"ADVERTISE", u"FALSE"},
                  {u"DATE", system.FormatDate(now, false)},
                  {u"TIME", system.FormatTime(now)},
                  {u"TEMPDIR", values.work_folder},
                  {u"ABORTONERROR", u"TRUE"},
                  {u"ABORTEDONERROR", u"FALSE"},
                  {u"SAVEDATA", u"FALSE"},
                  {u"SUPPORTDIR", values.support_folder},
                  {u"MSIFILE", values.setup_package_path},
                  {u"LANGUAGE", u""},
              });
  return list;
}

void InjectList(script::Variables& variables, const std::vector<startup::CommandLineVariable>& list,
                std::u16string_view tag) {
  for (const auto& [name, value] : list) {
    if (variables.VariableExists(name)) {
      variables.SetVariable(name, value, tag);
    } else {
      variables.DefineVariable(name, value, tag);
    }
  }
}

void RefreshRunSwitches(startup::EngineState& engine) {
  const script::Variables& variables = engine.variables;
  engine.trace.SetLogPath(variables.GetVariable(u"LOGGED"));
  const bool silent = core::TruthOf(variables.GetVariable(u"SILENT"));
  engine.variables.SetSilent(silent);
  engine.values.silent = silent;
  engine.caption.title = variables.GetVariable(u"TITLE");
  engine.caption.hide_product = core::EqualIgnoreCase(variables.GetVariable(u"KEVOLOGO"), u"TRUE");
}

void RefreshCacheOverride(startup::EngineState& engine, const script::ScriptTables& script,
                          startup::BootstrapServices& services) {
  const std::u16string requested = engine.variables.GetVariable(startup::kOverrideCacheVariable);
  if (requested.empty() || requested == engine.identity.applied_override_cache) return;
  startup::MoveCache(engine, script, requested, engine.values.setup_package_path, services);
}

void SetDateAndTime(startup::EngineState& engine) {
  platform::SystemInfo& system = engine.platform.system();
  const platform::LocalTime now = system.Now();
  engine.variables.DefineVariable(u"DATE", system.FormatDate(now, false), kTagInitialization);
  engine.variables.DefineVariable(u"TIME", system.FormatTime(now), kTagInitialization);
}

}  // namespace

void DefineWorkerChannel(startup::EngineState& engine) {
  script::Variables& variables = engine.variables;
  const std::u16string tick = core::DecimalText(engine.platform.system().TickCount());
  constexpr std::u16string_view kNoTag;
  variables.DefineVariable(u"KEVO_thProgress", u"0", kNoTag);
  variables.DefineVariable(u"KEVO_thMax", u"100", kNoTag);
  variables.DefineVariable(u"KEVO_thMin", u"0", kNoTag);
  variables.DefineVariable(u"KEVO_thProgressText", u"", kNoTag);
  variables.DefineVariable(u"KEVO_thFinished", u"FALSE", kNoTag);
  variables.DefineVariable(u"KEVO_thCancelled", u"FALSE", kNoTag);
  variables.DefineVariable(u"KEVO_IsCancelled", u"FALSE", kNoTag);
  variables.DefineVariable(u"KEVO_LastDelegateTick", tick, kNoTag);
  variables.DefineVariable(u"KEVO_LastActiveTick", tick, kNoTag);
}

void SetPreInitialization(startup::EngineState& engine, const script::ScriptTables& script) {
  script::Variables& variables = engine.variables;
  variables.DefineVariable(u"TARGETDIR", engine.identity.start_target_folder,
                           kTagPreInitialization);
  variables.DefineVariable(u"STARTMENU", script.ProductTitle(), kTagPreInitialization);
  variables.DefineVariable(u"ALLUSERS",
                           core::TruthText(startup::AdministratorTest(engine.platform.system())),
                           kTagPreInitialization);
}

void RunBootstrap(startup::EngineState& engine, const script::ScriptTables& script) {
  startup::BootstrapServices first_installation;
  RunBootstrap(engine, script, first_installation);
}

void RunBootstrap(startup::EngineState& engine, const script::ScriptTables& script,
                  startup::BootstrapServices& services) {
  startup::SetDefaultIdentity(engine.identity, script);
  startup::Bootstrap(engine, script, engine.values.setup_package_path, services);
}

void SetInitializationVariables(startup::EngineState& engine, const script::ScriptTables& script) {
  script::Variables& variables = engine.variables;
  for (const InitialValue& initial : InitializationList(engine, script)) {
    if (initial.keep_existing && variables.VariableExists(initial.name)) continue;
    variables.DefineVariable(initial.name, initial.value, kTagInitialization);
  }
}

void InjectCommandLine(startup::EngineState& engine) {
  InjectList(engine.variables, engine.values.equals_variables, script::kTagInjectOverride);
  InjectList(engine.variables, engine.values.colon_variables, script::kTagInjectOverrideEx);
}

void RefreshEngineSettings(startup::EngineState& engine, const script::ScriptTables& script) {
  startup::BootstrapServices first_installation;
  RefreshEngineSettings(engine, script, first_installation);
}

void RefreshEngineSettings(startup::EngineState& engine, const script::ScriptTables& script,
                           startup::BootstrapServices& services) {
  RefreshRunSwitches(engine);
  RefreshCacheOverride(engine, script, services);
  SetDateAndTime(engine);
  startup::RefreshCacheVariables(engine, script);
}

}  // namespace velkor::interpreter
