// The command-line rules: switches, value switches, the two variable lists and the
// command-line rest.
#include "startup/command_line.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace velkor::startup {
namespace {

using Args = std::vector<std::u16string>;

Args WithProgram(Args arguments) {
  arguments.insert(arguments.begin(), u"C:\\Setup Files\\setup.exe");
  return arguments;
}

TEST(CommandLineTest, FlagSwitchesNeedTheWholeNameAfterTheMark) {
  const struct {
    Args arguments;
    bool silent;
    bool update;
  } cases[] = {
      {{u"/S"}, true, false},
      {{u"-qn"}, true, false},
      {{u"-QN"}, true, false},
      {{u"/silent"}, false, false},
      {{u"s"}, false, false},
      {{u"//s"}, false, false},
      {{u"/update"}, false, true},
      {{u"-UpdateSetup"}, false, true},
      {{u"/updates"}, false, false},
      {{u"x", u"/update", u"/s"}, true, true},
      {{}, false, false},
  };
  for (const auto& c : cases) {
    const CommandLineSwitches switches = ParseSwitches(WithProgram(c.arguments));
    const std::string shown = c.arguments.empty() ? "" : core::Utf16ToUtf8(c.arguments[0]);
    EXPECT_EQ(switches.silent, c.silent) << shown;
    EXPECT_EQ(switches.update, c.update) << shown;
  }
}

TEST(CommandLineTest, ProgramPathIsNeverASwitch) {
  const CommandLineSwitches switches = ParseSwitches({u"C:\\x/l=\\TARGET=1\\-s"});
  EXPECT_TRUE(switches.log_path.empty());
  EXPECT_TRUE(switches.equals_variables.empty());
  EXPECT_TRUE(switches.colon_variables.empty());
}

TEST(CommandLineTest, ValueSwitchesCutThreeCharactersOfTheLowerCasedArgument) {
  const struct {
    Args arguments;
    std::u16string log, group_policy, self_extractor, installed_setup;
  } cases[] = {
      {{u"/L=C:\\Logs\\Setup.LOG"}, u"c:\\logs\\setup.log", u"", u"", u""},
      {{u"-l=x.log"}, u"x.log", u"", u"", u""},
      // Found inside a longer argument: the first three characters go whatever they are.
      {{u"X/l=abc"}, u"=abc", u"", u"", u""},
      {{u"/l=first", u"/l=second"}, u"first", u"", u"", u""},
      {{u"-l=first", u"/l=second"}, u"first", u"", u"", u""},
      {{u"/l="}, u"", u"", u"", u""},
      {{u"/G=C:\\Policy\\A.gpo"}, u"", u"c:\\policy\\a.gpo", u"", u""},
      {{u"-g=C:\\x"}, u"", u"", u"", u""},  // "/g=" only
      {{u"/M=D:\\Sfx.exe"}, u"", u"", u"d:\\sfx.exe", u""},
      {{u"/P=D:\\Setup"}, u"", u"", u"", u"d:\\setup\\"},
      {{u"-p=D:\\Setup\\"}, u"", u"", u"", u"d:\\setup\\"},
      {{u"/p="}, u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    const CommandLineSwitches switches = ParseSwitches(WithProgram(c.arguments));
    const std::string shown = core::Utf16ToUtf8(c.arguments[0]);
    EXPECT_EQ(switches.log_path, c.log) << shown;
    EXPECT_EQ(switches.group_policy_path, c.group_policy) << shown;
    EXPECT_EQ(switches.self_extractor_path, c.self_extractor) << shown;
    EXPECT_EQ(switches.installed_setup_override, c.installed_setup) << shown;
  }
}

TEST(CommandLineTest, VariableArgumentsEnterTheListOfEachSeparatorTheyHold) {
  const CommandLineSwitches switches = ParseSwitches(WithProgram({
      u"TARGETDIR=C:\\Apps",
      u"/x=1",
      u"-x:1",
      u"mode=Quiet=Yes",
      u"Group:Admins",
      u"plain",
  }));
  const std::vector<CommandLineVariable> equals = {{u"TARGETDIR", u"C:\\Apps"},
                                                   {u"MODE", u"Quiet=Yes"}};
  const std::vector<CommandLineVariable> colons = {{u"TARGETDIR=C", u"\\Apps"},
                                                   {u"GROUP", u"Admins"}};
  EXPECT_EQ(switches.equals_variables, equals);
  EXPECT_EQ(switches.colon_variables, colons);
}

TEST(CommandLineTest, RestIsTheCommandLineWithoutItsProgram) {
  const struct {
    std::u16string raw;
    std::u16string rest;
  } cases[] = {
      {u"\"C:\\Setup Files\\setup.exe\" /s", u"/s"},
      {u"\"C:\\Setup Files\\setup.exe\"  /s  X=1", u" /s  X=1"},
      {u"\"C:\\Setup Files\\setup.exe\"", u""},
      {u"\"C:\\Setup Files\\setup.exe\" ", u""},
      // The character after the closing quote goes, whatever it is.
      {u"\"setup.exe\"/s", u"s"},
      {u"\"C:\\never closed /s", u""},
      {u"setup.exe", u""},
      {u"setup.exe /s /l=x", u"/s /l=x"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineRest(c.raw), c.rest) << core::Utf16ToUtf8(c.raw);
}

TEST(CommandLineTest, OutOfProcessModeNeedsTheExactWordAsFirstArgument) {
  EXPECT_TRUE(IsOutOfProcessExtract({u"setup.exe", u"OutOfProcessExtract", u"C:\\job"}));
  EXPECT_TRUE(IsOutOfProcessExtract({u"setup.exe", u"OutOfProcessExtract"}));
  EXPECT_FALSE(IsOutOfProcessExtract({u"setup.exe", u"outofprocessextract", u"C:\\job"}));
  EXPECT_FALSE(IsOutOfProcessExtract({u"setup.exe", u"/s", u"OutOfProcessExtract"}));
  EXPECT_FALSE(IsOutOfProcessExtract({u"setup.exe"}));
}

}  // namespace
}  // namespace velkor::startup
