// The engine process on a sandbox machine: exit codes, messages, the run trace, the
// support folder, the windows and what start-up leaves on the machine.
#include <gtest/gtest.h>

#include "app/run_engine_sandbox.h"
#include "platform/registry.h"
#include "script/script_test_support.h"
#include "startup/builtin_logo.h"
#include "startup_machine.h"

namespace velkor::startup {
namespace {

using platform::sandbox::MachineProfile;
using platform::sandbox::WindowEvent;
using script::testing::Disabled;
using script::testing::ScriptOf;
using script::testing::Statement;
using testing::ArchiveFile;
using testing::EngineRun;
using testing::StartupMachine;
using testing::TraceLines;
using Kind = WindowEvent::Kind;

constexpr std::u16string_view kLog = u"C:\\Logs\\setup.log";
constexpr std::u16string_view kLogSwitch = u"/l=C:\\Logs\\Setup.LOG";

// "Display Dialog" has six parameters: the dialog name first.
std::vector<std::u16string> DialogParameters(std::u16string name) {
  return {std::move(name), u"", u"TRUE", u"", u"", u""};
}

// Statements 1 and 3 show dialogs; statement 2 is commented out.
script::CompiledScript GoodScript() {
  return ScriptOf({
      Statement(u"Comment", {u"start"}),
      Statement(u"Display Dialog", DialogParameters(u"Welcome")),
      Disabled(u"Display Dialog", DialogParameters(u"Skipped")),
      Statement(u"Display Dialog", DialogParameters(u"Finish")),
  });
}

// An "End" without its "If".
script::CompiledScript FailingScript() {
  return ScriptOf({Statement(u"Display Dialog", DialogParameters(u"Welcome")), Statement(u"End")});
}

const std::vector<ArchiveFile> kResources = {
    {"Welcome.dfm", "object Welcome: TPoolTemplate\r\nend\r\n"},
    {"Welcome.dfm.vexf", ""},
    {"Finish.dfm", "object Finish: TPoolTemplate\r\nend\r\n"},
    {"Finish.dfm.vexf", ""},
    {"sub/readme.txt", "read me"},
};

WindowEvent Event(std::u16string window, Kind kind, int32_t a = 0, int32_t b = 0,
                  std::u16string text = {}) {
  return {std::move(window), kind, a, b, std::move(text)};
}

std::vector<std::u16string> Lines(std::initializer_list<const char16_t*> lines) {
  return {lines.begin(), lines.end()};
}

class StartupSequenceTest : public ::testing::Test {
 protected:
  // A machine with the arguments, the Logs folder for "/l=" and, unless told otherwise,
  // a good script with its resources.
  std::unique_ptr<StartupMachine> Machine(std::vector<std::u16string> arguments,
                                          std::optional<MachineProfile> profile = {}) {
    auto machine = std::make_unique<StartupMachine>(std::move(arguments), std::move(profile));
    EXPECT_TRUE(machine->ok());
    machine->files().CreateFolder(u"C:\\Logs");
    return machine;
  }

  static std::vector<std::u16string> Trace(StartupMachine& machine) {
    return TraceLines(machine.Read(kLog).value_or(""));
  }
};

TEST_F(StartupSequenceTest, NoScriptEndsWith13AndShowsTheMessageUnlessSilent) {
  const struct {
    std::u16string argument;
    bool message;
    bool windows;
  } cases[] = {
      {u"/s", false, false},
      {u"/update", true, false},  // no windows, but not silent
      {u"X=1", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.argument));
    auto machine = Machine({c.argument, std::u16string(kLogSwitch)});
    machine->PutEngine(std::nullopt);
    EngineRun run(*machine);
    EXPECT_EQ(run.Run(), (EngineExit{13, true}));

    const auto boxes = run.message_boxes();
    ASSERT_EQ(boxes.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(boxes[0].text, u"For internal use only");
      EXPECT_EQ(boxes[0].caption, u"Velkor Wizard");
      EXPECT_EQ(boxes[0].flags, platform::message_box::kIconError);
    }
    EXPECT_EQ(run.events().empty(), !c.windows);
    // Ended at once: the support folder stays.
    EXPECT_TRUE(machine->files().FolderExists(run.values().support_folder));
    EXPECT_EQ(Trace(*machine), Lines({u"<Velkor>", u"    <SupportDir>", u"    </SupportDir>",
                                      u"  <SetupSplash>", u"    <StubSize>"}));
  }
}

TEST_F(StartupSequenceTest, ResourceFailuresEndWithTheirCodeAndMessage) {
  const struct {
    const char* what;
    std::optional<std::string> resource;
    uint32_t exit_code;
    std::u16string message;
  } cases[] = {
      {"missing", std::nullopt, 14, u"Setup resource not found"},
      {"corrupt", std::string("7z\xBC\xAF\x27\x1C but not an archive at all"), 15,
       u"Setup resource decompression failure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = Machine({std::u16string(kLogSwitch)});
    machine->PutEngine(GoodScript());
    if (c.resource) machine->Put(u"C:\\setup\\setup.res", *c.resource);
    EngineRun run(*machine);
    EXPECT_EQ(run.Run(), (EngineExit{c.exit_code, true}));
    const auto boxes = run.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].flags, platform::message_box::kIconError);
    EXPECT_TRUE(machine->files().FolderExists(run.values().support_folder));
    const auto trace = Trace(*machine);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), u"    <ExtractArchive>");
  }
}

TEST_F(StartupSequenceTest, GoodScriptRunsEveryStepInOrderAndRemovesTheSupportFolder) {
  auto machine = Machine({std::u16string(kLogSwitch), u"/s"});
  machine->PutEngine(GoodScript());
  machine->PutArchive(u"C:\\setup\\setup.res", kResources);
  machine->Put(kLog, "stale trace of an earlier run");

  EngineRun run(*machine);
  EXPECT_EQ(run.Run(), (EngineExit{0, false}));
  EXPECT_TRUE(run.message_boxes().empty());
  EXPECT_EQ(Trace(*machine), Lines({
                                 u"<Velkor>",
                                 u"    <SupportDir>",
                                 u"    </SupportDir>",
                                 u"  <SetupSplash>",
                                 u"    <StubSize>",
                                 u"    </StubSize>",
                                 u"    <StubData>",
                                 u"    </StubData>",
                                 u"    <GlobalLists>",
                                 u"    </GlobalLists>",
                                 u"    <ExtractArchive>",
                                 u"    </ExtractArchive>",
                                 u"    <ResourcePath>",
                                 u"    </ResourcePath>",
                                 u"    <Dialogs>",
                                 u"    </Dialogs>",
                                 u"  </SetupSplash>",
                                 u"  <RunScript>",
                                 u"    <Variables>",
                                 u"    </Variables>",
                                 u"    <CompileScript>",
                                 u"    </CompileScript>",
                                 u"    <BootStrap>",
                                 u"    </BootStrap>",
                                 u"    <kevo>",
                                 u"    </kevo>",
                                 u"    <ExitScript>",
                                 u"    </ExitScript>",
                                 u"  </RunScript>",
                                 u"  <Free>",
                                 u"  </Free>",
                                 u"  <CachedSupportDir>",
                                 u"  </CachedSupportDir>",
                                 u"</Velkor>",
                             }));

  const StartupValues& values = run.values();
  const std::u16string temp = machine->files().TempFolder();
  EXPECT_EQ(values.engine_folder, u"C:\\setup\\");
  EXPECT_EQ(values.base_name, u"setup");
  EXPECT_EQ(values.work_folder, temp);
  EXPECT_EQ(values.support_folder, temp + u"vex1\\");
  EXPECT_EQ(values.resource_path, u"C:\\setup\\setup.res");
  EXPECT_EQ(values.setup_package_path, temp + u"vex1\\setup.msi");
  EXPECT_EQ(values.data_folder, u"C:\\setup\\data\\");
  EXPECT_EQ(values.log_path, u"c:\\logs\\setup.log");
  EXPECT_TRUE(values.silent);
  EXPECT_FALSE(machine->files().FolderExists(values.support_folder));
  EXPECT_FALSE(machine->files().FileExists(temp + u"vex.tmp"));
}

// A failed check ends the process inside the interpreter: nothing after it runs, so what
// start-up put into the support folder can be looked at.
TEST_F(StartupSequenceTest, FailedCheckEndsWith314AndLeavesWhatStartUpPrepared) {
  auto machine = Machine({std::u16string(kLogSwitch)});
  machine->PutEngine(FailingScript());
  std::vector<ArchiveFile> resources = kResources;
  resources.push_back({"velkor.png", "the setup's own logo"});
  machine->PutArchive(u"C:\\setup\\setup.res", resources);
  machine->Put(u"C:\\setup\\setup.msi", "package");
  ASSERT_TRUE(machine->files().SetAttributes(
      u"C:\\setup\\setup.msi", platform::attribute::kReadOnly | platform::attribute::kArchive));

  EngineRun run(*machine);
  EXPECT_EQ(run.Run(), (EngineExit{314, true}));
  EXPECT_TRUE(run.message_boxes().empty());
  const auto trace = Trace(*machine);
  ASSERT_GE(trace.size(), 3u);
  EXPECT_EQ(std::vector<std::u16string>(trace.end() - 3, trace.end()),
            Lines({u"    <Variables>", u"    </Variables>", u"    <CompileScript>"}));

  const std::u16string support = run.values().support_folder;
  EXPECT_EQ(machine->Read(support + u"sub\\readme.txt"), "read me");
  EXPECT_EQ(machine->Read(support + u"velkor.png"), "the setup's own logo");
  EXPECT_EQ(machine->Read(support + u"setup.msi"), "package");
  const auto attributes = machine->files().GetAttributes(support + u"setup.msi");
  ASSERT_TRUE(attributes.ok());
  EXPECT_EQ(*attributes & platform::attribute::kReadOnly, 0u);
  EXPECT_FALSE(machine->files().FileExists(support + u"setup.msp"));

  const wizard::DialogRegistry& dialogs = run.engine().dialogs;
  EXPECT_EQ(dialogs.keys(), (std::vector<std::u16string>{u"0"}));
  EXPECT_EQ(dialogs.DialogFile(u"0"), support + u"Welcome.dfm");
}

TEST_F(StartupSequenceTest, WindowsFollowTheSplashPictureAndTheDialogs) {
  auto machine = Machine({});
  machine->PutEngine(GoodScript());
  machine->PutArchive(u"C:\\setup\\setup.res", kResources);
  machine->Put(u"C:\\setup\\setup.bmp", testing::Bitmap(400, 300));

  EngineRun run(*machine);
  EXPECT_EQ(run.Run(), (EngineExit{0, false}));
  const std::u16string logo = run.values().support_folder + u"velkor.png";
  const std::vector<WindowEvent> expected = {
      Event(u"splash", Kind::kCreated),
      Event(u"preparing", Kind::kCreated, 385, 128),
      Event(u"preparing", Kind::kLogoLoaded, 0, 0, logo),
      Event(u"splash", Kind::kPictureLoaded, 400, 300, u"C:\\setup\\setup.bmp"),
      Event(u"splash", Kind::kMoved, 760, 390),
      Event(u"splash", Kind::kShown),
      Event(u"preparing", Kind::kMoved, 1010, 715),
      Event(u"preparing", Kind::kShown),
      // The archive may bring its own logo.
      Event(u"preparing", Kind::kLogoLoaded, 0, 0, logo),
      // Two dialogs: range 0..2, position 1, then one step per dialog.
      Event(u"preparing", Kind::kProgressRange, 0, 2),
      Event(u"preparing", Kind::kProgressPosition, 1),
      Event(u"preparing", Kind::kProgressPosition, 2),
      Event(u"preparing", Kind::kProgressPosition, 3),
      Event(u"preparing", Kind::kHidden),
      Event(u"splash", Kind::kHidden),
      Event(u"preparing", Kind::kDestroyed),
      Event(u"splash", Kind::kDestroyed),
  };
  EXPECT_EQ(run.events(), expected);
  EXPECT_EQ(run.windows().last_design().caption, u"");  // Windows 10
}

TEST_F(StartupSequenceTest, WithoutAPictureOnlyThePreparingWindowShowsCentred) {
  MachineProfile seven;
  seven.version_major = 6;
  seven.version_minor = 1;
  seven.version_build = 7601;
  auto machine = Machine({}, seven);
  machine->PutEngine(FailingScript());
  machine->PutArchive(u"C:\\setup\\setup.res", kResources);

  EngineRun run(*machine);
  EXPECT_EQ(run.Run().exit_code, 314u);
  std::vector<WindowEvent> moves_and_shows;
  for (const WindowEvent& event : run.events()) {
    if (event.kind == Kind::kMoved || event.kind == Kind::kShown) moves_and_shows.push_back(event);
  }
  EXPECT_EQ(moves_and_shows, (std::vector<WindowEvent>{Event(u"preparing", Kind::kMoved, 767, 476),
                                                       Event(u"preparing", Kind::kShown)}));
  EXPECT_EQ(run.windows().last_design().caption, u"Velkor Wizard");
  // The built-in logo was written before the archive was extracted.
  EXPECT_EQ(machine->Read(run.values().support_folder + u"velkor.png"),
            std::string(BuiltInLogoPng()));
}

TEST_F(StartupSequenceTest, MalformedScriptIsARuntimeErrorOfTheInstall) {
  auto machine = Machine({std::u16string(kLogSwitch)});
  const std::string engine = build::BuildEngineFile(build::MakeStubImage(), GoodScript());
  // The script ends inside its parameter section.
  machine->Put(testing::kEngineFile, engine.substr(0, build::MakeStubImage().size() + 200));
  machine->PutArchive(u"C:\\setup\\setup.res", kResources);

  EngineRun run(*machine);
  EXPECT_EQ(run.Run(), (EngineExit{11, false}));
  const auto boxes = run.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, 0u);
  EXPECT_TRUE(boxes[0].text.starts_with(u"Runtime error in install: "))
      << core::Utf16ToUtf8(boxes[0].text);
  EXPECT_GT(boxes[0].text.size(), std::u16string_view(u"Runtime error in install: ").size());
  EXPECT_FALSE(machine->files().FolderExists(run.values().support_folder));
  EXPECT_EQ(Trace(*machine),
            Lines({u"<Velkor>", u"    <SupportDir>", u"    </SupportDir>", u"  <SetupSplash>",
                   u"    <StubSize>", u"    </StubSize>", u"    <StubData>", u"    </StubData>",
                   u"    <GlobalLists>", u"  <CachedSupportDir>", u"  </CachedSupportDir>",
                   u"</Velkor>"}));
  // The windows went before the clean-up.
  ASSERT_FALSE(run.events().empty());
  EXPECT_EQ(run.events().back().kind, Kind::kDestroyed);
}

TEST_F(StartupSequenceTest, SupportFolderSkipsNamesTakenByFoldersAndFiles) {
  auto machine = Machine({u"/s"});
  machine->PutEngine(std::nullopt);
  const std::u16string temp = machine->files().TempFolder();
  ASSERT_TRUE(machine->files().CreateFolder(temp + u"vex1"));
  machine->Put(temp + u"vex2", "a file");

  EngineRun run(*machine);
  EXPECT_EQ(run.Run().exit_code, 13u);
  EXPECT_EQ(run.values().support_folder, temp + u"vex3\\");
  EXPECT_TRUE(machine->files().FolderExists(temp + u"vex3"));
}

TEST_F(StartupSequenceTest, HostRegistrationDependsOnTheWindowsVersion) {
  const struct {
    uint32_t major, minor;
    bool host_app;
    bool compatibility;
  } cases[] = {
      {10, 0, true, false}, {6, 1, true, false}, {6, 0, false, true}, {5, 1, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    MachineProfile profile;
    profile.version_major = c.major;
    profile.version_minor = c.minor;
    auto machine = Machine({u"/s"}, profile);
    machine->PutEngine(std::nullopt);
    EngineRun run(*machine);
    EXPECT_EQ(run.Run().exit_code, 13u);

    platform::Registry& registry = machine->platform().registry();
    const auto view = platform::RegistryView::kDefault;
    const auto host_app = registry.ReadValue(platform::RegistryRoot::kClassesRoot,
                                             u"Applications\\setup.exe", u"IsHostApp", view);
    EXPECT_EQ(host_app.ok(), c.host_app);
    if (host_app.ok()) {
      EXPECT_EQ(*host_app, platform::RegistryValue::String(u""));
    }
    const auto compatibility = registry.ReadValue(
        platform::RegistryRoot::kCurrentUser,
        u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility "
        u"Assistant\\Persisted",
        u"C:\\setup\\setup.exe", view);
    EXPECT_EQ(compatibility.ok(), c.compatibility);
    if (compatibility.ok()) {
      EXPECT_EQ(*compatibility, platform::RegistryValue::Dword(32));
    }
  }
}

TEST_F(StartupSequenceTest, LanguageFileAttachedToTheArchiveLibraryIsHandedOverAndDeleted) {
  const struct {
    const char* what;
    std::string appended;
  } cases[] = {{"attached", "\xEF\xBB\xBFHello\r\n"}, {"none", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = Machine({u"/s"});
    machine->PutEngine(std::nullopt);
    machine->Put(u"C:\\setup\\vex.lib", build::MakeStubImage() + c.appended);
    EngineRun run(*machine);
    run.Run();
    const std::u16string language_file = run.values().work_folder + u"lang.loc";
    if (c.appended.empty()) {
      EXPECT_TRUE(run.language_files().empty());
    } else {
      EXPECT_EQ(run.language_files(), (std::vector<std::u16string>{language_file}));
      EXPECT_EQ(run.language_bytes(), (std::vector<std::string>{c.appended}));
    }
    EXPECT_FALSE(machine->files().FileExists(language_file));
  }
}

TEST_F(StartupSequenceTest, OutOfProcessExtractionReportsThroughItsControlFile) {
  constexpr std::u16string_view kControl = u"C:\\jobs\\job.txt";
  const struct {
    const char* what;
    std::optional<std::string> control;  // nullopt: no control file
    std::optional<std::string> items;
    uint32_t exit_code;
    std::optional<std::string> result_line;  // the control file afterwards
    std::vector<std::string> extracted;
  } cases[] = {
      {"no control file", std::nullopt, std::nullopt, 1, std::nullopt, {}},
      {"no archive",
       "C:\\jobs\\missing.7z\r\n\r\nC:\\out\\\r\nTRUE\r\nTRUE\r\n",
       std::nullopt,
       2,
       std::nullopt,
       {}},
      {"every item",
       "\xEF\xBB\xBF"
       "C:\\jobs\\a.7z\r\n\r\nC:\\out\\\r\nTRUE\r\nTRUE\r\n",
       "",
       0,
       "\r\n",
       {"Welcome.dfm", "sub\\readme.txt"}},
      {"listed items",
       "C:\\jobs\\a.7z\r\n\r\nC:\\out\\\r\ntrue\r\n-1\r\n",
       "sub\\readme.txt\r\n",
       0,
       "\r\n",
       {"sub\\readme.txt"}},
      {"paths dropped",
       "C:\\jobs\\a.7z\r\n\r\nC:\\out\\\r\nFALSE\r\nTRUE\r\n",
       "sub\\readme.txt\r\n",
       0,
       "\r\n",
       {"readme.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = Machine({u"OutOfProcessExtract", std::u16string(kControl)});
    machine->PutArchive(u"C:\\jobs\\a.7z", kResources);
    if (c.control) machine->Put(kControl, *c.control);
    if (c.items) machine->Put(std::u16string(kControl) + u"items", *c.items);
    EngineRun run(*machine);
    EXPECT_EQ(run.Run(), (EngineExit{c.exit_code, false}));
    if (c.result_line) {
      EXPECT_EQ(machine->Read(kControl), *c.result_line);
    } else if (c.control) {
      EXPECT_EQ(machine->Read(kControl), *c.control);
    }
    for (const std::string& name : c.extracted) {
      EXPECT_TRUE(machine->files().FileExists(u"C:\\out\\" + core::Utf8ToUtf16(name))) << name;
    }
    if (c.extracted.size() == 1) {
      EXPECT_FALSE(machine->files().FileExists(u"C:\\out\\Welcome.dfm"));
    }
    // Nothing of setup mode happens.
    EXPECT_TRUE(run.values().support_folder.empty());
  }
}

TEST_F(StartupSequenceTest, FailedOutOfProcessExtractionWritesTheErrorText) {
  auto machine = Machine({u"OutOfProcessExtract", u"C:\\jobs\\job.txt"});
  machine->Put(u"C:\\jobs\\bad.7z", "not an archive");
  machine->Put(u"C:\\jobs\\job.txt", "C:\\jobs\\bad.7z\r\n\r\nC:\\out\\\r\nTRUE\r\nTRUE\r\n");
  EngineRun run(*machine);
  EXPECT_EQ(run.Run(), (EngineExit{0, false}));
  const std::string result = machine->Read(u"C:\\jobs\\job.txt").value_or("");
  EXPECT_TRUE(result.ends_with("\r\n"));
  EXPECT_GT(result.size(), 2u) << "an error text";
  EXPECT_EQ(result.find("\r\n"), result.size() - 2) << "one line";
}

TEST_F(StartupSequenceTest, SimulatorEntryRunsTheEngineOnTheMachine) {
  auto machine = Machine({u"/s"});
  machine->PutEngine(GoodScript());
  machine->PutArchive(u"C:\\setup\\setup.res", kResources);
  platform::sandbox::RecordedStartupWindows windows(machine->files());
  EXPECT_EQ(app::RunEngine(machine->platform(), windows), (EngineExit{0, false}));
  EXPECT_TRUE(windows.events().empty());
  EXPECT_FALSE(machine->files().FolderExists(machine->files().TempFolder() + u"vex1"));
}

}  // namespace
}  // namespace velkor::startup
