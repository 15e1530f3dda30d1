// The reserved variables: the values each phase defines, the command-line injection and
// its protection, and the refresh before every statement that turns variables into
// engine settings.
#include <gtest/gtest.h>

#include "core/decimal.h"
#include "interpreter/interpreter_fixture.h"
#include "interpreter/reserved_variables.h"
#include "platform/registry.h"
#include "startup/message_caption.h"
#include "startup/sandbox/engine_host.h"

namespace velkor::interpreter {
namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegistryView;
using platform::sandbox::MachineProfile;
using startup::testing::EngineHost;
using startup::testing::HostOptions;
using startup::testing::kRevisionCode;

constexpr std::u16string_view kNtVersionKey = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// The phases before the main loop, in run order.
void RunStartPhases(EngineHost& host) {
  startup::EngineState& engine = host.engine();
  DefineWorkerChannel(engine);
  SetPreInitialization(engine, host.script());
  RunBootstrap(engine, host.script(), host.services());
  SetInitializationVariables(engine, host.script());
  InjectCommandLine(engine);
}

MachineProfile FixedClock() {
  MachineProfile profile;
  profile.fixed_clock = platform::LocalTime{2024, 3, 5, 15, 14, 30, 5, 0};
  return profile;
}

TEST(ReservedVariables, WorkerChannelStartsIdleWithOneHeartbeat) {
  EngineHost host;
  DefineWorkerChannel(host.engine());
  EXPECT_EQ(host.Var(u"KEVO_thProgress"), u"0");
  EXPECT_EQ(host.Var(u"KEVO_thMin"), u"0");
  EXPECT_EQ(host.Var(u"KEVO_thMax"), u"100");
  EXPECT_TRUE(host.variables().VariableExists(u"KEVO_thProgressText"));
  for (const char16_t* flag : {u"KEVO_thFinished", u"KEVO_thCancelled", u"KEVO_IsCancelled"}) {
    EXPECT_EQ(host.Var(flag), u"FALSE") << core::Utf16ToUtf8(flag);
  }
  const std::u16string tick = host.Var(u"KEVO_LastDelegateTick");
  EXPECT_TRUE(core::ParseInt64(tick).has_value()) << core::Utf16ToUtf8(tick);
  EXPECT_EQ(host.Var(u"KEVO_LastActiveTick"), tick);
}

TEST(ReservedVariables, PreInitializationBeforeTheBootstrapKnowsTheTarget) {
  MachineProfile windows98;
  windows98.version_major = 4;
  windows98.version_minor = 10;
  windows98.platform_id = 1;
  windows98.is_64bit_windows = false;
  MachineProfile standard_user;
  standard_user.is_administrator = false;
  const std::pair<MachineProfile, const char16_t*> cases[] = {
      {MachineProfile(), u"TRUE"}, {standard_user, u"FALSE"}, {windows98, u"FALSE"}};
  for (const auto& [profile, all_users] : cases) {
    EngineHost host({.profile = profile});
    SetPreInitialization(host.engine(), host.script());
    EXPECT_TRUE(host.variables().VariableExists(u"TARGETDIR"));
    EXPECT_EQ(host.Var(u"TARGETDIR"), u"");
    EXPECT_EQ(host.Var(u"STARTMENU"), u"Test Product");
    EXPECT_EQ(host.Var(u"ALLUSERS"), all_users);
  }
}

TEST(ReservedVariables, InitializationPublishesTheStartUpValues) {
  EngineHost host({.profile = FixedClock(), .arguments = {u"/s", u"/l=C:\\Logs\\Run.log"}});
  host.engine().values.command_line_rest = u"/s /l=C:\\Logs\\Run.log";
  RunStartPhases(host);

  const std::pair<const char16_t*, std::u16string> expected[] = {
      {u"EXEFILE", u"C:\\setup\\setup.exe"},
      {u"EXEDIR", u"C:\\setup\\"},
      {u"ROOTDIR", u"C:\\setup\\"},
      {u"TEMPDIR", u"C:\\Users\\User\\AppData\\Local\\Temp\\"},
      {u"SUPPORTDIR", std::u16string(startup::testing::kSupportFolder)},
      {u"MSIFILE", std::u16string(startup::testing::kPackagePath)},
      {u"CMDLINE", u"/s /l=C:\\Logs\\Run.log"},
      {u"SILENT", u"TRUE"},
      {u"LOGGED", u"c:\\logs\\run.log"},
      {u"TITLE", u"Test Product"},
      {u"VERSION", u"2.5.1"},
      {u"COMPANY", u"Tarnwick Labs"},
      {u"DATE", u"3/15/2024"},
      {u"TIME", u"2:30:05 PM"},
      {u"NEWLINE", u"\r\n"},
      {u"KEVO_TIMEOUT", u"10"},
      {u"NATIVE_ENGINE", u"FALSE"},
      {u"NATIVE_ERROR", u"PROMPT"},
      {u"IISHOST", u"localhost"},
      {u"WIZARD", u"NEXT"},
      {u"FX", u"SLIDE"},
      {u"REBOOTNOW", u"OK"},
      {u"ABORTONERROR", u"TRUE"},
      {u"USERNAME", u"User"},
      {u"USERCOMPANY", u""},
      {u"LANGUAGE", u""},
      {u"OVERRIDECACHE", u""},
  };
  for (const auto& [name, value] : expected) {
    EXPECT_TRUE(host.variables().VariableExists(name)) << core::Utf16ToUtf8(name);
    EXPECT_EQ(host.Var(name), value) << core::Utf16ToUtf8(name);
  }
}

TEST(ReservedVariables, RestoredEngineChoiceAndCacheOverrideAreKept) {
  EngineHost host;
  host.variables().DefineVariable(u"NATIVE_ENGINE", u"TRUE", u"LoadComponents");
  host.variables().DefineVariable(u"OVERRIDECACHE", u"D:\\Cache\\", u"LoadComponents");
  host.variables().DefineVariable(u"NATIVE_ROLLBACK", u"FALSE", u"LoadComponents");
  SetInitializationVariables(host.engine(), host.script());
  EXPECT_EQ(host.Var(u"NATIVE_ENGINE"), u"TRUE");
  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"D:\\Cache\\");
  EXPECT_EQ(host.Var(u"NATIVE_ROLLBACK"), u"TRUE") << "the other defaults are set anyway";
}

TEST(ReservedVariables, SetupPathRefersToTheFolderTheSetupCameFrom) {
  struct Case {
    const char* name;
    std::vector<std::u16string> arguments;
    std::u16string reference;
    std::u16string expanded;
    std::u16string sfx_path;
    std::u16string sfx_file;
    std::u16string gpo_path;
  };
  const Case cases[] = {
      {"neither /m= nor /g=", {}, u"$EXEDIR$", u"C:\\setup\\", u"", u"", u""},
      {"a self-extractor",
       {u"/m=C:\\Media\\Setup.exe"},
       u"$SFXPATH$",
       u"c:\\media\\",
       u"c:\\media\\",
       u"setup.exe",
       u""},
      {"a group policy share wins",
       {u"/m=C:\\Media\\Setup.exe", u"/g=\\\\server\\gpo\\setup.exe"},
       u"$GPOPATH$",
       u"\\\\server\\gpo\\",
       u"c:\\media\\",
       u"setup.exe",
       u"\\\\server\\gpo\\"},
      {"a self-extractor named without a folder",
       {u"/m=setup.exe"},
       u"$EXEDIR$",
       u"C:\\setup\\",
       u"",
       u"setup.exe",
       u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host({.arguments = c.arguments});
    SetInitializationVariables(host.engine(), host.script());
    EXPECT_EQ(host.Var(u"SETUPPATH"), c.reference);
    EXPECT_EQ(host.variables().ExpandVariables(u"$SETUPPATH$"), c.expanded);
    EXPECT_EQ(host.Var(u"SFXPATH"), c.sfx_path);
    EXPECT_EQ(host.Var(u"SFXFILE"), c.sfx_file);
    EXPECT_EQ(host.Var(u"GPOPATH"), c.gpo_path);
  }
}

TEST(ReservedVariables, RegisteredOwnerComesFromThe64BitViewUnderWow64) {
  EngineHost host;  // a 32-bit engine on 64-bit Windows
  platform::Registry& registry = host.platform().registry();
  ASSERT_TRUE(registry.WriteValue(RegistryRoot::kLocalMachine, kNtVersionKey, u"RegisteredOwner",
                                  RegistryValue::String(u"Owner in 64"), RegistryView::kView64));
  ASSERT_TRUE(registry.WriteValue(RegistryRoot::kLocalMachine, kNtVersionKey, u"RegisteredOwner",
                                  RegistryValue::String(u"Owner in 32"), RegistryView::kView32));
  ASSERT_TRUE(registry.WriteValue(RegistryRoot::kLocalMachine, kNtVersionKey,
                                  u"RegisteredOrganization", RegistryValue::String(u"Org in 64"),
                                  RegistryView::kView64));
  SetInitializationVariables(host.engine(), host.script());
  EXPECT_EQ(host.Var(u"USERNAME"), u"Owner in 64");
  EXPECT_EQ(host.Var(u"USERCOMPANY"), u"Org in 64");
}

TEST(ReservedVariables, RegisteredOwnerOfWindows9xLiesUnderTheWindowsKey) {
  MachineProfile windows98;
  windows98.version_major = 4;
  windows98.version_minor = 10;
  windows98.platform_id = 1;
  windows98.is_64bit_windows = false;
  EngineHost host({.profile = windows98});
  platform::Registry& registry = host.platform().registry();
  const std::u16string_view key = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  ASSERT_TRUE(registry.WriteValue(RegistryRoot::kLocalMachine, key, u"RegisteredOwner",
                                  RegistryValue::String(u"Owner 98"), RegistryView::kDefault));
  SetInitializationVariables(host.engine(), host.script());
  EXPECT_EQ(host.Var(u"USERNAME"), u"Owner 98");
  EXPECT_EQ(host.Var(u"USERCOMPANY"), u"");
}

TEST(ReservedVariables, GlassFollowsCompositionAndVisualStyles) {
  struct Case {
    bool composition;
    bool styles;
    uint32_t major;
    const char16_t* glass;
  };
  const Case cases[] = {{true, true, 10, u"TRUE"},
                        {false, true, 6, u"TRUE"},
                        {false, true, 5, u"FALSE"},
                        {false, false, 10, u"FALSE"}};
  for (const Case& c : cases) {
    MachineProfile profile;
    profile.desktop_composition = c.composition;
    profile.visual_styles = c.styles;
    profile.version_major = c.major;
    EngineHost host({.profile = profile});
    SetInitializationVariables(host.engine(), host.script());
    EXPECT_EQ(host.Var(u"GLASS"), c.glass) << c.composition << " " << c.styles << " " << c.major;
  }
}

TEST(ReservedVariables, CommandLineValuesAndTheirProtection) {
  struct Case {
    const char* name;
    std::vector<std::u16string> arguments;
    std::u16string injected;
    std::u16string after_script;  // after the script sets TITLE to "Script Title"
  };
  const Case cases[] = {
      {"silent, NAME=VALUE", {u"/s", u"TITLE=My Product"}, u"My Product", u"My Product"},
      {"not silent, NAME=VALUE", {u"TITLE=My Product"}, u"My Product", u"Script Title"},
      {"NAME:VALUE", {u"TITLE:My Product"}, u"My Product", u"My Product"},
      {"both lists: the \":\" list's value", {u"TITLE=Equals", u"TITLE:Colon"}, u"Colon", u"Colon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHost host({.arguments = c.arguments});
    RunStartPhases(host);
    EXPECT_EQ(host.Var(u"TITLE"), c.injected);
    host.variables().SetVariable(u"TITLE", u"Script Title", u"Set Variable Action");
    EXPECT_EQ(host.Var(u"TITLE"), c.after_script);
  }
}

TEST(ReservedVariables, InjectionDefinesAnyNameBothListsSee) {
  EngineHost host({.arguments = {u"TARGETDIR=C:\\Apps", u"custom=value"}});
  RunStartPhases(host);
  EXPECT_EQ(host.Var(u"TARGETDIR"), u"C:\\Apps");
  EXPECT_EQ(host.Var(u"TARGETDIR=C"), u"\\Apps");
  EXPECT_EQ(host.Var(u"CUSTOM"), u"value");
}

TEST(ReservedVariables, SilentOnTheCommandLineMakesTheRunSilent) {
  EngineHost host({.arguments = {u"SILENT=TRUE", u"TITLE=My Product"}});
  RunStartPhases(host);
  EXPECT_FALSE(host.variables().Silent());
  RefreshEngineSettings(host.engine(), host.script(), host.services());
  EXPECT_TRUE(host.variables().Silent());
  EXPECT_TRUE(host.engine().values.silent);
  // Silent now, the "=" list protects its names from the script.
  host.variables().SetVariable(u"TITLE", u"Script Title", u"Set Variable Action");
  EXPECT_EQ(host.Var(u"TITLE"), u"My Product");
}

TEST(ReservedVariables, TitleAndKevoLogoMakeTheMessageCaption) {
  struct Case {
    std::u16string title;
    std::u16string logo;
    std::u16string caption;
  };
  const Case cases[] = {
      {u"My Product", u"true", u"My Product"},
      {u"My Product", u"", u"My Product - Velkor Wizard"},
      {u"My Product", u"-1", u"My Product - Velkor Wizard"},
      {u"", u"TRUE", u""},
      {u"", u"", u"Velkor Wizard"},
  };
  for (const Case& c : cases) {
    EngineHost host;
    RunStartPhases(host);
    host.variables().SetVariable(u"TITLE", c.title, u"Set Variable Action");
    host.variables().SetVariable(u"KEVOLOGO", c.logo, u"Set Variable Action");
    RefreshEngineSettings(host.engine(), host.script(), host.services());
    EXPECT_EQ(startup::MessageCaption(host.engine().caption), c.caption)
        << core::Utf16ToUtf8(c.title) << " / " << core::Utf16ToUtf8(c.logo);
  }
}

TEST(ReservedVariables, RefreshFollowsLoggedAndTheClock) {
  EngineHost host({.profile = FixedClock(), .arguments = {u"/l=C:\\first.log"}});
  RunStartPhases(host);
  host.variables().SetVariable(u"LOGGED", u"C:\\x.log", u"Set Variable Action");
  MachineProfile later = FixedClock();
  later.fixed_clock = platform::LocalTime{2024, 3, 6, 16, 9, 5, 7, 0};
  ASSERT_TRUE(host.machine().platform().SetProfile(later));
  RefreshEngineSettings(host.engine(), host.script(), host.services());
  EXPECT_EQ(host.engine().trace.log_path(), u"C:\\x.log");
  EXPECT_EQ(host.Var(u"DATE"), u"3/16/2024");
  EXPECT_EQ(host.Var(u"TIME"), u"9:05:07 AM");
}

TEST(ReservedVariables, RefreshMovesTheCacheOnceAndReportsAFailure) {
  EngineHost host;
  RunStartPhases(host);
  host.variables().SetVariable(u"OVERRIDECACHE", u"C:\\Moved", u"Set Variable Action");
  RefreshEngineSettings(host.engine(), host.script(), host.services());
  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"C:\\Moved\\");
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\Moved\\" + std::u16string(kRevisionCode) + u"\\");
  EXPECT_EQ(host.services().queries, 2);
  RefreshEngineSettings(host.engine(), host.script(), host.services());
  EXPECT_EQ(host.services().queries, 2) << "an applied root is not moved again";

  host.machine().Put(u"C:\\Blocked", "a file in the way");
  host.variables().SetVariable(u"OVERRIDECACHE", u"C:\\Blocked\\Cache", u"Set Variable Action");
  RefreshEngineSettings(host.engine(), host.script(), host.services());
  EXPECT_EQ(host.Var(u"OVERRIDECACHE"), u"");
  EXPECT_EQ(host.Var(u"ENGINECACHE"), u"C:\\ProgramData\\" + std::u16string(kRevisionCode) + u"\\");
}

// The phases as the interpreter runs them, in a whole engine process.
TEST(ReservedVariables, AWholeRunPublishesTheCacheAndTheInjectedValues) {
  testing::ScriptRunOptions options;
  options.arguments = {u"/s", u"OVERRIDECACHE=C:\\MyCache", u"TITLE=Injected"};
  testing::ScriptRun run("Comment: one statement\n", options);
  ASSERT_EQ(run.Run().exit_code, 0u);
  const std::string revision = "{9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}";
  EXPECT_EQ(run.Var8(u"OVERRIDECACHE"), "C:\\MyCache\\");
  EXPECT_EQ(run.Var8(u"ENGINECACHE"), "C:\\MyCache\\" + revision + "\\");
  EXPECT_EQ(run.Var8(u"UNINSTALLLINK"), "C:\\MyCache\\" + revision + "\\setup.exe");
  EXPECT_EQ(run.Var8(u"REVISIONCODE"), revision);
  EXPECT_EQ(run.Var8(u"TITLE"), "Injected");
  EXPECT_EQ(run.Var8(u"MAINTENANCE"), "FALSE");
  EXPECT_EQ(run.engine().variables.ExpandVariables(u"$SETUPPATH$"), u"C:\\setup\\");
  EXPECT_FALSE(run.machine().files().FolderExists(u"C:\\MyCache")) << "only tried, not kept";
}

}  // namespace
}  // namespace velkor::interpreter
