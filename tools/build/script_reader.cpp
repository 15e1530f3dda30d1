#include "script_reader.h"

#include <algorithm>
#include <optional>

#include "build_error.h"
#include "core/decimal.h"
#include "core/text.h"
#include "script/script_parser.h"

namespace velkor::build {
namespace {

// Each statement's block starts at the first line equal to its key and runs to the
// next line where some statement's block starts.
void ReadParameterBlocks(const script::IndexedLines& table,
                         std::vector<script::ScriptStatement>& statements) {
  std::vector<size_t> starts;
  std::vector<std::optional<size_t>> start_of(statements.size());
  for (size_t i = 0; i < statements.size(); ++i) {
    start_of[i] = table.Find(statements[i].key);
    if (start_of[i]) starts.push_back(*start_of[i]);
  }
  std::sort(starts.begin(), starts.end());
  for (size_t i = 0; i < statements.size(); ++i) {
    if (!start_of[i]) continue;
    const auto next = std::upper_bound(starts.begin(), starts.end(), *start_of[i]);
    const size_t end = next == starts.end() ? table.size() : *next;
    for (size_t line = *start_of[i] + 1; line < end; ++line)
      statements[i].parameters.emplace_back(table.at(line));
  }
}

void ReadStatements(const script::ScriptTables& t, script::CompiledScript& s) {
  const script::StatementTable& st = t.statements();
  for (size_t i = 0; i < st.size(); ++i) {
    script::ScriptStatement out;
    out.command = st.Command(i);
    out.key = st.Key(i);
    out.disabled = st.IsDisabled(i);
    out.media_folder = st.MediaFolder(i);
    out.source_file = st.SourceFile(i);
    out.source_line = st.SourceLine(i).value_or(0);
    out.include_return_variable = st.IncludeReturnVariable(i);
    out.include_depth = st.IncludeDepth(i).value_or(0);
    s.statements.push_back(std::move(out));
  }
}

template <typename Pairs, typename Out>
void CopyPairs(const Pairs& pairs, Out& out) {
  for (size_t i = 0; i < pairs.size(); ++i)
    out.emplace_back(std::u16string(pairs.name(i)), pairs.value(i));
}

void ReadTables(const script::ScriptTables& t, script::CompiledScript& s) {
  s.product_code = t.ProductCode();
  s.product_title = t.ProductTitle();
  for (size_t i = 0; i < t.PluginCommands().size(); ++i)
    s.plugin_commands.emplace_back(t.PluginCommands().at(i));
  for (int k = 0; k < 6; ++k) s.publisher[k] = t.Publisher(script::PublisherText(k));
  s.build_mode = t.BuildMode();
  CopyPairs(t.ComponentSizes(), s.component_sizes);
  s.revision_code = t.RevisionCode();
  for (size_t i = 0; i < t.MediaFiles().size(); ++i) s.media_files.push_back(t.MediaFiles().at(i));
  s.language_prompt = t.LanguagePrompt();
  s.default_language = t.DefaultLanguage();
  CopyPairs(t.CompileConstants(), s.constants);
  CopyPairs(t.WebMediaKeys(), s.web_media_keys);
  s.code_page = t.CodePage();
  s.payload_total = t.PayloadTotal();
  for (size_t i = 0; i < t.GetInstallMap().size(); ++i)
    s.install_map.push_back(t.GetInstallMap().at(i));
}

// The (header, statement index) pairs are kept flat by the tables.
void ReadCommandHeaders(const script::IndexedLines& headers, script::CompiledScript& s) {
  for (size_t i = 0; i + 1 < headers.size(); i += 2)
    s.command_headers.emplace_back(headers.at(i), core::ParseInt32(headers.at(i + 1)).value_or(0));
}

}  // namespace

script::CompiledScript ReadCompiledScript(std::string_view script_text) {
  script::ScriptLoadResult result = script::ParseScriptText(script_text);
  if (!result.ok()) throw BuildError("malformed script: " + core::Utf16ToUtf8(result.message()));
  script::CompiledScript s;
  ReadStatements(result.tables(), s);
  ReadTables(result.tables(), s);
  ReadParameterBlocks(result.tables().LoadedParameters(), s.statements);
  ReadCommandHeaders(result.tables().CommandHeaders(), s);
  return s;
}

}  // namespace velkor::build
