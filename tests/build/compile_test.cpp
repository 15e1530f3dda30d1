#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include "build_fixture.h"

#include "core/case_mapping.h"
#include "core/text.h"
#include "resources.h"
#include "script_check.h"
#include "translations.h"

namespace velkor::build {
namespace {

using core::U16;
using testing::MemoryProject;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const BuildError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(CompileTest, IncludedScriptsAreInlinedWithTheirScopes) {
  const Project p = MemoryProject(
      "Comment: main\n"
      "Include Script: lib\\a.vks, RET_A\n"
      "Comment: after a\n"
      "[off] Include Script: lib/missing.vks, RET_X\n"
      "Include Script: lib/b.vks, RET_B2\n",
      {{"lib/a.vks", "Comment: a1\n\nInclude Script: lib/b.vks, RET_B\nComment: a2\n"},
       {"lib/b.vks", "# b\nReturn from Include Script: done\n"}});
  const auto script = CompileProject(p);
  struct Expected {
    const char16_t* command;
    const char16_t* file;
    int line;
    const char16_t* return_variable;
    int depth;
  } expected[] = {
      {u"Comment", u"main.vks", 0, u"0", 0},
      {u"Include Script", u"main.vks", 1, u"0", 0},
      {u"Comment", u"lib\\a.vks", 0, u"RET_A", 1},
      {u"Include Script", u"lib\\a.vks", 2, u"RET_A", 1},
      {u"Return from Include Script", u"lib\\b.vks", 1, u"RET_B", 2},
      {u"Comment", u"lib\\a.vks", 3, u"RET_A", 1},
      {u"Comment", u"main.vks", 2, u"0", 0},
      {u"Include Script", u"main.vks", 3, u"0", 0},
      {u"Include Script", u"main.vks", 4, u"0", 0},
      {u"Return from Include Script", u"lib\\b.vks", 1, u"RET_B2", 1},
  };
  ASSERT_EQ(script.statements.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const auto& s = script.statements[i];
    EXPECT_EQ(s.command, expected[i].command) << i;
    EXPECT_EQ(s.source_file, expected[i].file) << i;
    EXPECT_EQ(s.source_line, expected[i].line) << i;
    EXPECT_EQ(s.include_return_variable, expected[i].return_variable) << i;
    EXPECT_EQ(s.include_depth, expected[i].depth) << i;
  }
  EXPECT_TRUE(script.statements[7].disabled);
  const std::string engine = testing::EngineFileOf(p);
  EXPECT_EQ(testing::EngineFileOf(testing::Redump(engine)), engine);
}

TEST(CompileTest, ProjectErrorsPointAtTheStatement) {
  struct Case {
    std::string script;
    std::map<std::string, std::string> files;
    std::string message;
  } cases[] = {
      {"Comment\nInclude Script: nope.vks, R\n",
       {},
       "main.vks:2: script file 'nope.vks' not found"},
      {"Include Script: a.vks, R\n",
       {{"a.vks", "Comment\nInclude Script: main.vks, S\n"}},
       "a.vks:2: include cycle: main.vks -> a.vks -> main.vks"},
      {"Include Script: a.vks\n",
       {{"a.vks", ""}},
       "main.vks:1: Include Script needs a return variable"},
      {"Include Script: ..\\a.vks, R\n", {}, "main.vks:1: '..\\a.vks' leaves the project folder"},
      {"[key={0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}] Comment\nComment\n"
       "[key={0d5c2a4b-7e19-4f3a-b6c8-1a2b3c4d5e6f}] Comment\n",
       {},
       "main.vks:3: statement key {0d5c2a4b-7e19-4f3a-b6c8-1a2b3c4d5e6f} is also used at "
       "main.vks:1"},
      {"[key=12] Comment\n", {}, "main.vks:1: statement key '12' is not a GUID"},
      {"Comment: \"$dollar$\"\n",
       {},
       "main.vks:1: the parameter '$dollar$' would load as a lone '$'"},
      {"[key={0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}] Comment\nComment: "
       "{0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}\n",
       {},
       "main.vks:2: a parameter equals the statement key"},
      {"\"$\": x\n", {}, "main.vks:1: the command name cannot be a lone '$'"},
      {"[media=..\\] Install Files: a.txt\n",
       {},
       "main.vks:1: media folder '..\\' is not a relative folder"},
      {"[media=DISK1] Comment\n", {}, "main.vks:1: media folder 'DISK1' must end with '\\'"},
      {"Comment\nInstall Files: app\\*.dll, , $TARGETDIR$\n",
       {{"payload/app/a.txt", "x"}},
       "main.vks:2: no payload file matches 'app\\*.dll'"},
      {"Install Files: \"\", , $TARGETDIR$\n",
       {},
       "main.vks:1: Install Files needs its payload files"},
      {"Display Dialog: welcome, R\n",
       {},
       "main.vks:1: dialog 'welcome' not found: add dialogs/welcome.dfm"},
  };
  for (const auto& c : cases)
    EXPECT_NE(ErrorOf([&] { CompileProject(MemoryProject(c.script, c.files)); }).find(c.message),
              std::string::npos)
        << ErrorOf([&] { CompileProject(MemoryProject(c.script, c.files)); });
}

TEST(CompileTest, KeysAreDerivedUniqueAndStable) {
  const Project p = MemoryProject(
      "Comment: a\nComment: a\n[key={0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}] Comment\n");
  const auto script = CompileProject(p);
  EXPECT_EQ(script.statements[0].key, DerivedStatementKey(U16(testing::kProductCode), 0));
  EXPECT_NE(script.statements[0].key, script.statements[1].key);
  EXPECT_EQ(script.statements[2].key, u"{0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}");
  // Version 5 name-based GUID text.
  EXPECT_EQ(script.statements[0].key[15], u'5');
  EXPECT_EQ(CompileProject(p).statements[1].key, script.statements[1].key);
}

// Payload fixture: three files below payload/app, one of them left out by pattern.
std::map<std::string, std::string> PayloadFiles() {
  return {{"payload/app/a.txt", "abc"},
          {"payload/app/skip.log", "0123456789"},
          {"payload/app/sub/b.txt", "hello"},
          {"payload/single.dll", "1234567"}};
}

TEST(CompileTest, InstallMapCommandHeadersAndPayloadTotal) {
  const Project p = MemoryProject(
      "Install Files: app\\*, *.log, $TARGETDIR$, FALSE, FALSE, FALSE, TRUE, TRUE, FALSE, FALSE, "
      "FALSE, FALSE\n"
      "Comment: no header\n"
      "Write Registry: 1, 2\n"
      "[off] Install Files: app\\*, , $TARGETDIR$\n"
      "[media=EXTRA\\] Install Files: single.dll|app, *.log, $TARGETDIR$\\lib\n",
      PayloadFiles());
  const BuildPlan plan = PlanBuild(p);
  const auto& s = plan.script;
  ASSERT_EQ(s.command_headers.size(), 3u);
  EXPECT_EQ(s.command_headers[0].second, 0);
  EXPECT_EQ(s.command_headers[1].second, 2);
  EXPECT_EQ(s.command_headers[2].second, 4);
  for (const auto& [header, index] : s.command_headers) {
    EXPECT_EQ(header.size(), 8u);
    EXPECT_EQ(header.find_first_not_of(u"0123456789ABCDEF"), std::u16string::npos);
  }
  ASSERT_EQ(s.install_map.size(), 2u);
  const std::u16string h0 = s.command_headers[0].first, h2 = s.command_headers[2].first;
  const auto& g0 = s.install_map[0];
  EXPECT_EQ(g0.header, h0);
  ASSERT_EQ(g0.files.size(), 2u);
  // Files of one source folder share a hexadecimal folder; subfolders become targets.
  EXPECT_TRUE(g0.files[0].first.starts_with(u"OFFLINE\\" + h0 + u"\\"));
  EXPECT_TRUE(g0.files[0].first.ends_with(u"\\a.txt"));
  EXPECT_EQ(g0.files[0].second, u"");
  EXPECT_TRUE(g0.files[1].first.ends_with(u"\\b.txt"));
  EXPECT_EQ(g0.files[1].second, u"sub\\");
  EXPECT_NE(g0.files[0].first.substr(0, g0.files[0].first.rfind(u'\\')),
            g0.files[1].first.substr(0, g0.files[1].first.rfind(u'\\')));
  const auto& g1 = s.install_map[1];
  EXPECT_EQ(g1.header, h2);
  ASSERT_EQ(g1.files.size(), 2u);  // "app" names a folder: its top files, without *.log
  EXPECT_TRUE(g1.files[0].first.starts_with(u"EXTRA\\" + h2 + u"\\"));
  EXPECT_TRUE(g1.files[0].first.ends_with(u"\\single.dll"));
  EXPECT_TRUE(g1.files[1].first.ends_with(u"\\a.txt"));
  EXPECT_EQ(s.payload_total, 3 + 5 + 7 + 3);  // a.txt is installed twice
  // The data folder holds each file under its install map path, plus the source marker.
  std::set<std::string> data;
  for (const auto& f : plan.data) data.insert(f.path);
  EXPECT_TRUE(data.count(testing::kProductCode));
  for (const auto& group : s.install_map)
    for (const auto& [path, target] : group.files) {
      std::string p8 = core::Utf16ToUtf8(path);
      std::replace(p8.begin(), p8.end(), '\\', '/');
      EXPECT_TRUE(data.count(p8)) << p8;
    }
  EXPECT_EQ(data.size(), 5u);
}

TEST(CompileTest, WebMediaBlocksSetMediaFoldersAndFileLists) {
  const Project p = MemoryProject(
      "Install Files: single.dll, , $TARGETDIR$\n"
      "Web Media Block: DISK1, http://example.com/disk1.7zip\n"
      "Install Files: app\\a.txt, , $TARGETDIR$\n"
      "Comment: no media\n",
      PayloadFiles(), "build-mode = 2\n[web-media-keys]\nDISK1 = pass word\n");
  const BuildPlan plan = PlanBuild(p);
  const auto& s = plan.script;
  EXPECT_EQ(s.statements[0].media_folder, u"OFFLINE\\");
  EXPECT_EQ(s.statements[2].media_folder, u"DISK1\\");
  EXPECT_EQ(s.statements[3].media_folder, u"");
  ASSERT_EQ(s.media_files.size(), 1u);
  const std::u16string header = s.command_headers[1].first;
  const auto& m = s.media_files[0];
  EXPECT_EQ(m.block, u"DISK1");
  EXPECT_TRUE(m.path.ends_with(u"\\a.txt"));
  EXPECT_EQ(m.payload_folder,
            u"DISK1\\" + header + u"\\" + m.path.substr(0, m.path.find(u'\\')) + u"\\");
  EXPECT_EQ(s.install_map[1].files[0].first, m.payload_folder + u"a.txt");
  ASSERT_EQ(plan.web_archives.size(), 1u);
  EXPECT_EQ(plan.web_archives[0].password, u"pass word");
  EXPECT_EQ(plan.web_archives[0].files.size(), 1u);
  EXPECT_EQ(plan.data.size(), 2u);  // single.dll and the source marker
}

TEST(CompileTest, TranslationTablesFollowOrdinals) {
  const Project p = MemoryProject(
      "MessageBox: Title, Text, 0, 0, R\n"
      "Comment: not translated\n"
      "Localization Variable: GREETING, Hello\n"
      "Configure Service Failure: Svc, 2, 3, 4, 5, 6, 7, 8, Reboot!, cmd, args\n",
      {{"languages/German.vkl", "Title = Titel\nHello = Hallo\nReboot! = Neustart!\n"},
       {"languages/shared.translations.German", "x\r\n"}});
  const BuildPlan plan = PlanBuild(p);
  std::map<std::string, std::vector<std::u16string>> tables;
  for (const auto& f : plan.resources)
    if (f.bytes) tables[f.path] = TableLines(*f.bytes);
  const auto& keys = tables["Test Product.mtx"];
  const auto& original = tables["translations.Original"];
  const auto& german = tables["translations.German"];
  const std::u16string k0 = plan.script.statements[0].key, k3 = plan.script.statements[3].key;
  const std::vector<std::u16string> expected_keys = {
      k0, k0, u"TALLOWAY$GREETING$TALLOWAY", k3, k3, k3, k3, k3, k3, k3, k3, k3, k3, k3};
  EXPECT_EQ(keys, expected_keys);
  ASSERT_EQ(original.size(), keys.size());
  EXPECT_EQ(original[1], u"Text");
  EXPECT_EQ(german[0], u"Titel");
  EXPECT_EQ(german[1], u"Text");
  EXPECT_EQ(german[2], u"Hallo");
  EXPECT_EQ(original[3 + 8], u"Reboot!");  // ordinal 9
  EXPECT_EQ(german[3 + 8], u"Neustart!");
  EXPECT_EQ(original[3 + 9], u"cmd");
  EXPECT_TRUE(HasResource(plan.resources, "shared.translations.german"));
}

TEST(CompileTest, TheEngineScriptCheckRunsAtBuildTime) {
  struct Case {
    std::string script;
    std::string message;
  } cases[] = {
      {"Set Variable: X$KEVO$KEVO$TRUE, 1\nIf: X, 0, 1, FALSE\n",
       "main.vks: script check: Insufficient END statements (at the end of the script)"},
      {"Comment\n\nLabel: a\nLabel: A\n", "main.vks:4: script check: LABEL re-defined: A"},
      {"Include Script: lib.vks, R\n",
       "lib.vks:2: script check: Break not allowed outside of LOOP scope"},
  };
  for (const auto& c : cases) {
    const Project p = MemoryProject(c.script, {{"lib.vks", "Comment\nBreak\n"}});
    EXPECT_EQ(ErrorOf([&] { CheckCompiledScript(CompileProject(p)); }), c.message);
  }
  EXPECT_NO_THROW(CheckCompiledScript(
      CompileProject(ParseProjectFolder(testing::SourceRoot() / "examples/hello"))));
}

}  // namespace
}  // namespace velkor::build
