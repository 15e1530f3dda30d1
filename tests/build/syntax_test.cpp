#include <gtest/gtest.h>

#include "build_fixture.h"
#include "core/text.h"
#include "script_file.h"
#include "value_syntax.h"

namespace velkor::build {
namespace {

using core::U16;
using testing::EngineFileOf;
using testing::MemoryProject;
using testing::Redump;

// Texts that need the quoting rule, written as parameters and as a command name.
const std::vector<std::string> kTrickyTexts = {"",
                                               " ",
                                               "  leading",
                                               "trailing  ",
                                               "a,b",
                                               "\"quoted\"",
                                               "\"",
                                               "$",
                                               "$$",
                                               "#",
                                               "# not a comment",
                                               "[off]",
                                               "a: b",
                                               "tab\there",
                                               "x = y",
                                               ",",
                                               "\\\\server\\share\\",
                                               "C:\\Program Files\\",
                                               "\x01"
                                               "control",
                                               "caf\xC3\xA9 \xE2\x82\xAC",
                                               "$DOLLAR$ inside",
                                               "'single'",
                                               "]",
                                               "NEWHEADER"};

TEST(SyntaxTest, EveryParameterTextSurvivesWritingAndReading) {
  for (const std::string& text : kTrickyTexts) {
    ProjectStatement s;
    s.command = U16(text.empty() ? "x" : text);
    s.parameters = {U16(text), U16("middle"), U16(text)};
    const std::string line = WriteStatement(s, {});
    const ScriptFile back = ParseScriptFile(line + "\n", "t.vks");
    ASSERT_EQ(back.statements.size(), 1u) << line;
    EXPECT_EQ(back.statements[0].command, s.command) << line;
    EXPECT_EQ(back.statements[0].parameters, s.parameters) << line;
  }
}

TEST(SyntaxTest, TrickyParametersGiveTheSameEngineFileAfterDumpAndRebuild) {
  std::string script;
  for (const std::string& text : kTrickyTexts) {
    ProjectStatement s;
    s.command = U16("Set Variable");
    s.parameters = {U16("V$KEVO$KEVO$FALSE"), U16(text)};
    script += WriteStatement(s, {}) + "\n";
  }
  script += "Comment\nComment: \"\"\n[off] Comment: a, , \"\"\n";
  const std::string first = EngineFileOf(MemoryProject(script));
  EXPECT_EQ(EngineFileOf(Redump(first)), first);
}

TEST(SyntaxTest, StatementForms) {
  const ScriptFile f = ParseScriptFile(
      "\xEF\xBB\xBF# comment\r\n"
      "  Else\r\n"
      "Comment:\n"
      "[off] [key={0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}] [media=\"DISK 1\\\"] Install Files: a , "
      "\"b\",,\n",
      "t.vks");
  ASSERT_EQ(f.statements.size(), 3u);
  EXPECT_EQ(f.statements[0].command, u"Else");
  EXPECT_TRUE(f.statements[0].parameters.empty());  // no ':' -> no parameter block
  EXPECT_EQ(f.statements[0].line, 2);
  EXPECT_EQ(f.statements[1].parameters, std::vector<std::u16string>{u""});
  const ProjectStatement& s = f.statements[2];
  EXPECT_TRUE(s.disabled);
  EXPECT_EQ(s.key, u"{0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}");
  EXPECT_EQ(s.media_folder, u"DISK 1\\");
  EXPECT_EQ(s.parameters, (std::vector<std::u16string>{u"a", u"b", u"", u""}));
}

TEST(SyntaxTest, ScriptErrorsNameFileAndLine) {
  struct Case {
    std::string line;
    std::string message;
  } cases[] = {
      {"Set Variable: \"abc", "main.vks:3: missing closing double quote"},
      {"Set Variable: a\"b", "main.vks:3: double quote inside an unquoted value"},
      {"Set Variable: \"a\" b", "main.vks:3: unexpected text after a closing double quote"},
      {"[of] Comment", "main.vks:3: unknown attribute [of]"},
      {"[key={X} Comment", "main.vks:3: missing ']'"},
      {": x", "main.vks:3: statement without a command name"},
      {"Comment\rx", "main.vks:3: carriage return inside a line"},
  };
  for (const auto& c : cases) {
    try {
      MemoryProject("# header\nComment: ok\n" + c.line + "\n");
      ADD_FAILURE() << c.line;
    } catch (const BuildError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(e.place().line, 3);
    }
  }
}

TEST(SyntaxTest, ProjectFileErrorsNameFileAndLine) {
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"colour = blue", "project.vkp:4: unknown setting 'colour'"},
      {"build-mode = two", "project.vkp:4: build-mode must be a decimal integer"},
      {"title = again", "project.vkp:4: title is given twice"},
      {"language-prompt = maybe", "project.vkp:4: language-prompt must be true or false"},
      {"[colours]", "project.vkp:4: unknown section [colours]"},
      {"[components]\nCore = many", "project.vkp:5: component size must be a decimal integer"},
      {"[publisher]\nAuthor = me", "project.vkp:5: unknown publisher entry 'Author'"},
      {"just words", "project.vkp:4: expected 'name = value'"},
  };
  for (const auto& c : cases) {
    try {
      MemoryProject("Comment\n", {{"project.vkp", testing::ProjectFileText(c.text + "\n")}});
      ADD_FAILURE() << c.text;
    } catch (const BuildError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  try {
    MemoryProject(
        "Comment\n",
        {{"project.vkp", "title = x\nrevision-code = {9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}\n"}});
    ADD_FAILURE();
  } catch (const BuildError& e) {
    EXPECT_STREQ(e.what(), "project.vkp: product-code is missing");
  }
}

TEST(SyntaxTest, ProjectFileSettingsAndSections) {
  const Project p = MemoryProject("Comment\n", {{"project.vkp", testing::ProjectFileText(R"(
build-mode = 3
language-prompt = yes
[publisher]
publisher = "  Tarnwick  "
[plug-ins]
My Plug-in
"#hash"
[constants]
LOCMODE = NEWONLY
"A = B" = "x"
[web-media-keys]
DISK1 = secret
[web-media-stored-keys]
offline = 3135
)")}});
  const ProjectSettings& s = p.settings;
  EXPECT_EQ(s.build_mode, 3);
  EXPECT_TRUE(s.language_prompt);
  EXPECT_EQ(s.publisher[0], u"  Tarnwick  ");
  EXPECT_EQ(s.plugin_commands, (std::vector<std::u16string>{u"My Plug-in", u"#hash"}));
  ASSERT_EQ(s.constants.size(), 2u);
  EXPECT_EQ(s.constants[1].first, u"A = B");
  ASSERT_EQ(s.web_media_keys.size(), 2u);
  EXPECT_FALSE(s.web_media_keys[0].stored);
  EXPECT_TRUE(s.web_media_keys[1].stored);
  const std::string first = testing::EngineFileOf(p);
  EXPECT_EQ(testing::EngineFileOf(Redump(first)), first);
}

}  // namespace
}  // namespace velkor::build
