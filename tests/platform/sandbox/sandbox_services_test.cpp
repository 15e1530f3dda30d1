// The sandbox's process, user interface and environment expansion.
#include <gtest/gtest.h>

#include "core/text.h"
#include "platform/sandbox/sandbox_environment.h"
#include "platform/sandbox/sandbox_platform.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

namespace mb = message_box;

TEST(SandboxProcessTest, CommandLineIsBuiltFromTheOptions) {
  test_support::HostFolder host;
  SandboxOptions options;
  options.engine_file = u"C:\\Setup Files\\setup.exe";
  options.arguments = {u"/s", u"TARGETDIR=C:\\My Apps", u"/l=C:\\log.txt"};
  auto machine = test_support::OpenMachine(host.machine(), options);
  ASSERT_NE(machine, nullptr);
  Process& process = machine->process();
  EXPECT_EQ(process.EngineFilePath(), u"C:\\Setup Files\\setup.exe");
  EXPECT_EQ(process.CommandLine(),
            u"\"C:\\Setup Files\\setup.exe\" /s \"TARGETDIR=C:\\My Apps\" /l=C:\\log.txt");
  EXPECT_EQ(process.Arguments(),
            (std::vector<std::u16string>{u"C:\\Setup Files\\setup.exe", u"/s",
                                         u"TARGETDIR=C:\\My Apps", u"/l=C:\\log.txt"}));
}

TEST(SandboxProcessTest, ExitThrowsTheExitCode) {
  SandboxProcess process(u"C:\\setup.exe", {});
  try {
    process.Exit(314);
    FAIL() << "Exit returned";
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.code, 314u);
  }
}

TEST(SandboxUserInterfaceTest, UnansweredBoxesTakeTheirDefaultButton) {
  struct Case {
    uint32_t flags;
    int answer;
  };
  const Case cases[] = {
      {mb::kOk | mb::kIconError, mb::kIdOk},
      {mb::kOkCancel, mb::kIdOk},
      {mb::kAbortRetryIgnore, mb::kIdAbort},
      {mb::kYesNoCancel | mb::kIconQuestion, mb::kIdYes},
      {mb::kYesNo, mb::kIdYes},
      {mb::kRetryCancel, mb::kIdRetry},
      {mb::kYesNo | 0x100, mb::kIdNo},            // MB_DEFBUTTON2
      {mb::kYesNoCancel | 0x200, mb::kIdCancel},  // MB_DEFBUTTON3
      {mb::kAbortRetryIgnore | 0x100, mb::kIdRetry},
      {mb::kOk | 0x100, mb::kIdOk},  // no second button
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultButton(c.flags), c.answer) << c.flags;
}

TEST(SandboxUserInterfaceTest, RecordsEveryBoxAndAnswersFromTheQueue) {
  SandboxUserInterface ui;
  ui.QueueAnswer(mb::kIdNo);
  ui.QueueAnswer(mb::kIdCancel);
  EXPECT_EQ(ui.ShowMessageBox(42, u"Continue?", u"Setup", mb::kYesNo), mb::kIdNo);
  EXPECT_EQ(ui.ShowMessageBox(0, u"Retry?", u"Setup", mb::kRetryCancel), mb::kIdCancel);
  EXPECT_EQ(ui.ShowMessageBox(0, u"Done", u"Setup", mb::kOk), mb::kIdOk);
  const std::vector<MessageBoxRecord> boxes = ui.MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].owner, 42u);
  EXPECT_EQ(boxes[0].text, u"Continue?");
  EXPECT_EQ(boxes[0].caption, u"Setup");
  EXPECT_EQ(boxes[0].flags, mb::kYesNo);
  EXPECT_EQ(boxes[0].answer, mb::kIdNo);
  EXPECT_EQ(boxes[2].answer, mb::kIdOk);
  ui.ClearMessageBoxes();
  EXPECT_TRUE(ui.MessageBoxes().empty());
}

TEST(SandboxEnvironmentTest, ExpansionPairsPercentSignsFromTheLeft) {
  const auto lookup = [](std::u16string_view name) -> std::optional<std::u16string> {
    if (name == u"A") return u"1";
    if (name == u"EMPTY") return u"";
    if (name == u"REF") return u"%A%";
    return std::nullopt;
  };
  struct Case {
    std::u16string_view text;
    std::u16string_view expanded;
  };
  const Case cases[] = {
      {u"%A%", u"1"},       {u"%A%%A%", u"11"},   {u"x%EMPTY%y", u"xy"},
      {u"%REF%", u"%A%"},  // no rescan
      {u"%B%A%", u"%B%A%"}, {u"%B%%A%", u"%B%1"}, {u"50% of %A%", u"50% of %A%"},
      {u"%A", u"%A"},       {u"%%", u"%%"},       {u"%", u"%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandVariables(c.text, lookup), c.expanded) << core::Utf16ToUtf8(c.text);
  }
}

TEST(SandboxEnvironmentTest, EachPlatformHasItsOwnVariables) {
  MachineProfile profile;
  SandboxEnvironment first(profile);
  SandboxEnvironment second(profile);
  ASSERT_TRUE(first.Set(u"Only_Here", u"1").ok());
  EXPECT_FALSE(second.Get(u"ONLY_HERE").has_value());
  EXPECT_EQ(first.Get(u"only_here").value_or(u""), u"1");
  EXPECT_FALSE(first.Set(u"", u"x").ok());
  EXPECT_TRUE(first.Remove(u"NEVER_SET").ok());
}

}  // namespace
}  // namespace velkor::platform::sandbox
