// The text form: what the writer produces, and that the parser reads it back.
#include <gtest/gtest.h>

#include <stdexcept>

#include "script/script_parser.h"
#include "script/script_text_writer.h"
#include "script_test_support.h"

namespace velkor::script {
namespace {

using testing::Dump;
using testing::ScriptOf;
using testing::Statement;

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

CompiledScript OneStatementScript() {
  CompiledScript script = ScriptOf({Statement(u"Set Variable", {u"A$KEVO$KEVO$FALSE", u"$"})});
  script.statements[0].media_folder = u"OFFLINE\\";
  script.statements[0].source_file = u"C:\\P\\main.vxs";
  script.product_code = u"{P}";
  script.product_title = u"T";
  script.plugin_commands = {u"Plug"};
  script.publisher = {u"Pub", u"Contact", u"Help", u"URL", u"Comments", u"1.0"};
  script.web_media_keys = {{u"blk", u"key"}};
  script.build_mode = 2;
  script.component_sizes = {{u"Core", 1024}};
  script.revision_code = u"{R}";
  script.media_files = {{u"blk", u"1F\\a.txt", u"blk\\0000ABCD\\1F\\"}};
  script.language_prompt = true;
  script.default_language = u"English";
  script.command_headers = {{u"0000ABCD", 0}};
  script.constants = {{u"LOCMODE", u"NEWONLY"}};
  script.payload_total = 1024;
  script.install_map = {{u"0000ABCD", {{u"blk\\0000ABCD\\1F\\a.txt", u"sub\\"}}}};
  return script;
}

TEST(ScriptTextTest, WriterProducesTheFourteenSections) {
  const std::string expected =
      "\xEF\xBB\xBF"
      "Set Variable\r\n$\r\n"
      "{00000000-0000-0000-0000-000000000000}\r\n$\r\n"
      "{00000000-0000-0000-0000-000000000000}\r\nA$KEVO$KEVO$FALSE\r\n$DOLLAR$\r\n$\r\n"
      "\r\n$\r\n"
      "{P}\r\nT\r\nPlug\r\n$\r\n"
      "Pub\r\nContact\r\nHelp\r\nURL\r\nComments\r\n1.0\r\nblk\r\nkey\r\n$\r\n"
      "OFFLINE\\\r\n$\r\n"
      "2\r\nCore\r\n1024\r\n$\r\n"
      "{R}\r\nblk\r\n1F\\a.txt\r\nblk\\0000ABCD\\1F\\\r\n$\r\n"
      "TRUE\r\nEnglish\r\n0000ABCD\r\n0\r\n$\r\n"
      "LOCMODE\r\nNEWONLY\r\n$\r\n"
      "1252\r\nC:\\P\\main.vxs*0\r\n$\r\n"
      "1024\r\n0000ABCD\r\nNEWHEADER\r\nblk\\0000ABCD\\1F\\a.txt\r\nsub\\\r\n$\r\n"
      "0*0\r\n$\r\n";
  EXPECT_EQ(WriteScriptText(OneStatementScript()), expected);
}

TEST(ScriptTextTest, RoundTripKeepsEveryTable) {
  CompiledScript script = ScriptOf({
      Statement(u"Set Variable", {u"NAME$KEVO$KEVO$TRUE", u"$"}),
      Statement(u"Comment"),  // no parameters, so no block
      Statement(u"Write Registry",
                {u"", u"2|", u"Software\\Caf\u00E9", u"", u"\u65E5\u672C", u"TRUE"}),
      testing::Disabled(u"MessageBox", {u"Hello $TITLE$", u"", u"", u"", u"RESULT"}),
  });
  script.statements[2].media_folder = u"OFFLINE\\";
  script.statements[3].include_return_variable = u"RET";
  script.statements[3].include_depth = 2;
  script.product_code = u"{11111111-2222-3333-4444-555555555555}";
  script.product_title = u"Caf\u00E9 Suite";
  script.plugin_commands = {u"My Plugin", u"Other"};
  script.publisher = {u"Tarn", u"", u"http://help", u"", u"Note", u"2.5"};
  script.web_media_keys = {{u"Block1", u"k1"}, {u"block1", u"shadowed"}, {u"Block2", u""}};
  script.build_mode = 3;
  script.component_sizes = {{u"Core", 9000000000}, {u"Extra", -1}};
  script.revision_code = u"{AAAAAAAA-2222-3333-4444-555555555555}";
  script.media_files = {{u"Block1", u"A\\x.dll", u"Block1\\00000001\\A\\"},
                        {u"Block2", u"B\\y.dll", u"Block2\\00000002\\B\\"},
                        {u"BLOCK1", u"C\\z.dll", u"Block1\\00000003\\C\\"}};
  script.language_prompt = false;
  script.default_language = u"Deutsch";
  script.command_headers = {{u"00000001", 2}, {u"00000002", 3}};
  script.constants = {{u"SINGLEINSTANCE", u"TRUE"}, {u"EMPTY", u""}};
  script.code_page = 65001;
  script.payload_total = 123456789012;
  script.install_map = {{u"00000001", {{u"p\\1", u""}, {u"p\\2", u"bin\\"}}},
                        {u"00000002", {}},
                        {u"00000003", {{u"p\\3", u"odbcsetup.dll"}}}};

  const ScriptTables t = testing::TablesOf(script);

  const StatementTable& s = t.statements();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s.Command(2), u"Write Registry");
  EXPECT_EQ(s.Key(3), testing::KeyOf(3));
  EXPECT_FALSE(s.IsDisabled(2));
  EXPECT_TRUE(s.IsDisabled(3));
  EXPECT_EQ(s.MediaFolder(2), u"OFFLINE\\");
  EXPECT_EQ(s.MediaFolder(1), u"");
  EXPECT_EQ(s.SourceFile(2), u"C:\\Project\\main.vxs");
  EXPECT_EQ(s.SourceLine(2), 2);
  EXPECT_EQ(s.IncludeScope(0), u"0*0");
  EXPECT_EQ(s.IncludeReturnVariable(3), u"RET");
  EXPECT_EQ(s.IncludeDepth(3), 2);
  EXPECT_EQ(s.FindKey(testing::KeyOf(2)), 2u);

  EXPECT_EQ(t.StatementParam(0, 2), u"$");
  EXPECT_EQ(t.StatementParam(2, 3), u"Software\\Caf\u00E9");
  EXPECT_EQ(t.StatementParam(2, 5), u"\u65E5\u672C");
  EXPECT_EQ(t.StatementParam(3, 1), u"Hello $TITLE$");
  EXPECT_EQ(t.StatementParam(1, 1), u"");

  EXPECT_EQ(t.ProductTitle(), u"Caf\u00E9 Suite");
  EXPECT_EQ(t.PluginCommands().size(), 2u);
  EXPECT_EQ(t.Publisher(PublisherText::kHelpLink), u"http://help");
  EXPECT_EQ(t.Publisher(PublisherText::kDisplayVersion), u"2.5");
  EXPECT_EQ(t.WebMediaKey(u"BLOCK1"), u"k1");
  EXPECT_EQ(t.WebMediaKey(u"Block2"), u"");
  EXPECT_EQ(t.BuildMode(), 3);
  EXPECT_EQ(t.ComponentSize(u"core"), 9000000000);
  EXPECT_EQ(t.ComponentSize(u"Extra"), -1);
  EXPECT_EQ(t.RevisionCode(), script.revision_code);
  EXPECT_EQ(t.MediaFiles().OfBlock(u"block1"), (std::vector<size_t>{0, 2}));
  EXPECT_EQ(t.MediaFiles().at(1).payload_folder, u"Block2\\00000002\\B\\");
  EXPECT_FALSE(t.LanguagePrompt());
  EXPECT_EQ(t.DefaultLanguage(), u"Deutsch");
  EXPECT_EQ(t.CommandHeader(3, false, false), u"00000002");
  EXPECT_EQ(t.ExpandCompileConstants(u"#singleinstance#"), u"TRUE");
  EXPECT_EQ(t.CodePage(), 65001);
  EXPECT_EQ(t.PayloadTotal(), 123456789012);
  ASSERT_EQ(t.GetInstallMap().size(), 3u);
  EXPECT_EQ(t.GetInstallMap().at(0).files, script.install_map[0].files);
  EXPECT_TRUE(t.GetInstallMap().at(1).files.empty());
  EXPECT_EQ(t.GetInstallMap().Find(u"00000003")->files, script.install_map[2].files);
}

TEST(ScriptTextTest, ByteOrderMarkAndLineEndsDoNotChangeWhatIsRead) {
  const std::string written = WriteScriptText(OneStatementScript());
  const std::u16string expected = Dump(testing::TablesOf(OneStatementScript()));
  const std::string without_bom = written.substr(3);
  const std::string variants[] = {
      without_bom, ReplaceAll(written, "\r\n", "\n"), ReplaceAll(without_bom, "\r\n", "\r"),
      written.substr(0, written.size() - 2),  // the last "$" without its line end
  };
  for (const std::string& bytes : variants) {
    ScriptLoadResult result = ParseScriptText(bytes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(Dump(result.tables()), expected);
  }
}

TEST(ScriptTextTest, BytesAfterTheLastSectionAreIgnored) {
  const std::string written = WriteScriptText(OneStatementScript());
  const std::u16string expected = Dump(testing::TablesOf(OneStatementScript()));
  for (const std::string& tail :
       {std::string("\x30\x82\x05\x00 signature", 14), std::string("$\r\nX\r\n")}) {
    ScriptLoadResult result = ParseScriptText(written + tail);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(Dump(result.tables()), expected);
  }
}

// Parameters @1..@n are replaced in the written text by the stored forms under test.
TEST(ScriptTextTest, DollarLinesAreRestoredOnlyAsWholeLines) {
  const struct {
    std::string stored;
    std::u16string read;
  } cases[] = {
      {"$DOLLAR$", u"$"},
      {"$dollar$", u"$"},
      {"$Wild_Dollar$", u"$"},
      {"$WILD_DOLLAR$", u"$"},
      {"x$DOLLAR$", u"x$DOLLAR$"},
      {"$DOLLAR$ ", u"$DOLLAR$ "},
      {"$DOLLAR$$DOLLAR$", u"$DOLLAR$$DOLLAR$"},
  };
  std::vector<std::u16string> placeholders;
  for (size_t i = 0; i < std::size(cases); ++i) {
    placeholders.push_back(u"@" + core::DecimalText(static_cast<uint64_t>(i)) + u"@");
  }
  std::string text = WriteScriptText(ScriptOf({Statement(u"Some Command", placeholders)}));
  for (size_t i = 0; i < std::size(cases); ++i) {
    text = ReplaceAll(text, "@" + std::to_string(i) + "@", cases[i].stored);
  }
  ScriptLoadResult result = ParseScriptText(text);
  ASSERT_TRUE(result.ok());
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(result.tables().StatementParam(0, static_cast<int32_t>(i + 1)), cases[i].read)
        << cases[i].stored;
  }
}

TEST(ScriptTextTest, NumberLinesThatAreNotDecimalReadAsZero) {
  std::string text = WriteScriptText(OneStatementScript());
  text = ReplaceAll(text, "\r\n2\r\nCore\r\n1024\r\n", "\r\n0x2\r\nCore\r\n1 KB\r\n");
  text = ReplaceAll(text, "1252\r\n", "code page\r\n");
  text = ReplaceAll(text, "\r\n1024\r\n0000ABCD\r\nNEWHEADER",
                    "\r\n99999999999999999999\r\n0000ABCD\r\nNEWHEADER");
  text = ReplaceAll(text, "TRUE\r\nEnglish", "true\r\nEnglish");
  ScriptLoadResult result = ParseScriptText(text);
  ASSERT_TRUE(result.ok());
  const ScriptTables& t = result.tables();
  EXPECT_EQ(t.BuildMode(), 0);
  EXPECT_EQ(t.ComponentSize(u"Core"), 0);
  EXPECT_EQ(t.CodePage(), 0);
  EXPECT_EQ(t.PayloadTotal(), 0);
  EXPECT_FALSE(t.LanguagePrompt());  // only "TRUE" exactly
}

TEST(ScriptTextTest, OddPairListsPairTheirLastLineWithEmptyText) {
  std::string text = WriteScriptText(OneStatementScript());
  text = ReplaceAll(text, "LOCMODE\r\nNEWONLY\r\n$", "LOCMODE\r\nNEWONLY\r\nLONELY\r\n$");
  text = ReplaceAll(text, "blk\r\nkey\r\n$", "blk\r\nkey\r\nlast\r\n$");
  ScriptLoadResult result = ParseScriptText(text);
  ASSERT_TRUE(result.ok());
  const ScriptTables& t = result.tables();
  ASSERT_EQ(t.CompileConstants().size(), 2u);
  EXPECT_EQ(t.CompileConstants().name(1), u"LONELY");
  EXPECT_EQ(t.CompileConstants().value(1), u"");
  EXPECT_EQ(t.WebMediaKeys().size(), 2u);
}

TEST(ScriptTextTest, WriterRefusesTextsThatWouldReadBackDifferently) {
  auto with = [](auto change) {
    CompiledScript script = OneStatementScript();
    change(script);
    return script;
  };
  const CompiledScript refused[] = {
      with([](CompiledScript& s) { s.statements[0].parameters[1] = u"two\r\nlines"; }),
      with([](CompiledScript& s) { s.statements[0].parameters[1] = u"$Dollar$"; }),
      with([](CompiledScript& s) { s.statements[0].parameters[1] = u"$WILD_DOLLAR$"; }),
      with([](CompiledScript& s) { s.statements[0].command = u"$"; }),
      with([](CompiledScript& s) { s.statements[0].media_folder = u"a\nb"; }),
      with([](CompiledScript& s) { s.product_title = u"line\rbreak"; }),
      with([](CompiledScript& s) { s.plugin_commands.push_back(u"$"); }),
      with([](CompiledScript& s) { s.constants.emplace_back(u"X", u"$"); }),
      with([](CompiledScript& s) { s.install_map[0].files.emplace_back(u"p", u"NEWHEADER"); }),
  };
  for (const CompiledScript& script : refused) {
    EXPECT_THROW(WriteScriptText(script), std::invalid_argument);
  }
}

TEST(ScriptTextTest, FixedLinesMayHoldTheSectionEndText) {
  CompiledScript script = OneStatementScript();
  script.product_title = u"$";
  script.publisher[0] = u"$";
  const ScriptTables t = testing::TablesOf(script);
  EXPECT_EQ(t.ProductTitle(), u"$");
  EXPECT_EQ(t.Publisher(PublisherText::kPublisher), u"$");
  EXPECT_EQ(t.PluginCommands().size(), 1u);
}

TEST(ScriptTextTest, EmptyScriptRoundTrips) {
  const ScriptTables t = testing::TablesOf(CompiledScript{});
  EXPECT_EQ(t.StatementCount(), 0u);
  EXPECT_EQ(t.CodePage(), 1252);
}

}  // namespace
}  // namespace velkor::script
