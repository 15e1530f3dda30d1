#include "script_reader.h"

#include <algorithm>
#include <map>

#include "build_error.h"
#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/text.h"
#include "script/script_format.h"
#include "script/script_parser.h"

namespace velkor::build {
namespace {

using script::format::Section;

std::vector<std::u16string> Lines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<std::u16string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    lines.push_back(core::Utf8ToUtf16(bytes.substr(pos, end - pos)));
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

// The lines of one section (its fixed lines and its list, without the end line).
std::vector<std::u16string> RawSection(std::string_view bytes, Section wanted) {
  const std::vector<std::u16string> lines = Lines(bytes);
  size_t pos = 0;
  for (const auto& shape : script::format::kSections) {
    std::vector<std::u16string> section;
    for (int k = 0; k < shape.fixed_lines && pos < lines.size(); ++k)
      section.push_back(lines[pos++]);
    while (pos < lines.size() && lines[pos] != script::format::kSectionEnd)
      section.push_back(lines[pos++]);
    ++pos;
    if (shape.section == wanted) return section;
  }
  return {};
}

bool IsDollarLine(const std::u16string& line) {
  return core::EqualIgnoreCase(line, script::format::kDollarLine) ||
         core::EqualIgnoreCase(line, script::format::kWildDollarLine);
}

// Each statement's block starts at the first line equal to its key and runs to the
// next line where some statement's block starts.
void ReadParameterBlocks(std::string_view bytes, std::vector<script::ScriptStatement>& statements) {
  std::vector<std::u16string> table = RawSection(bytes, Section::kParameters);
  for (auto& line : table)
    if (IsDollarLine(line)) line = std::u16string(script::format::kSectionEnd);
  std::map<std::u16string, size_t> first;
  for (size_t i = 0; i < table.size(); ++i) first.emplace(core::Lower(table[i]), i);
  std::vector<size_t> starts;
  std::vector<std::optional<size_t>> start_of(statements.size());
  for (size_t i = 0; i < statements.size(); ++i) {
    const auto it = first.find(core::Lower(statements[i].key));
    if (it == first.end()) continue;
    start_of[i] = it->second;
    starts.push_back(it->second);
  }
  std::sort(starts.begin(), starts.end());
  for (size_t i = 0; i < statements.size(); ++i) {
    if (!start_of[i]) continue;
    const auto next = std::upper_bound(starts.begin(), starts.end(), *start_of[i]);
    const size_t end = next == starts.end() ? table.size() : *next;
    statements[i].parameters.assign(table.begin() + long(*start_of[i] + 1),
                                    table.begin() + long(end));
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
  s.code_page = t.CodePage();
  s.payload_total = t.PayloadTotal();
  for (size_t i = 0; i < t.GetInstallMap().size(); ++i)
    s.install_map.push_back(t.GetInstallMap().at(i));
}

void ReadRawPairs(std::string_view bytes, script::CompiledScript& s) {
  const auto publisher = RawSection(bytes, Section::kPublisher);
  for (size_t i = 6; i + 1 < publisher.size(); i += 2)
    s.web_media_keys.emplace_back(publisher[i], publisher[i + 1]);
  const auto language = RawSection(bytes, Section::kLanguage);
  for (size_t i = 2; i + 1 < language.size(); i += 2)
    s.command_headers.emplace_back(language[i], core::ParseInt32(language[i + 1]).value_or(0));
}

}  // namespace

script::CompiledScript ReadCompiledScript(std::string_view script_text) {
  script::ScriptLoadResult result = script::ParseScriptText(script_text);
  if (!result.ok()) throw BuildError("malformed script: " + core::Utf16ToUtf8(result.message()));
  script::CompiledScript s;
  ReadStatements(result.tables(), s);
  ReadTables(result.tables(), s);
  ReadParameterBlocks(script_text, s.statements);
  ReadRawPairs(script_text, s);
  return s;
}

}  // namespace velkor::build
