#include "script/script_text_writer.h"

#include <stdexcept>
#include <string_view>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/text.h"
#include "script/script_format.h"

namespace velkor::script {
namespace {

using format::Section;

[[noreturn]] void Unstorable(std::string_view what, std::u16string_view text,
                             std::string_view why) {
  throw std::invalid_argument(std::string(what) + " \"" + core::Utf16ToUtf8(text) +
                              "\" cannot be stored in a script: " + std::string(why));
}

void RequireOneLine(std::string_view what, std::u16string_view text) {
  if (text.find_first_of(u"\r\n") != std::u16string_view::npos) {
    Unstorable(what, text, "it holds a line break");
  }
}

void RequireListLine(std::string_view what, std::u16string_view text) {
  RequireOneLine(what, text);
  if (text == format::kSectionEnd) Unstorable(what, text, "it would end its section");
}

std::string StatementName(size_t index) {
  return "statement " + std::to_string(index);
}

// Writes one section: exactly the shape's fixed lines, then the list, then the end line.
class SectionWriter {
 public:
  SectionWriter(std::string& out, Section section) : out_(out), shape_(format::ShapeOf(section)) {}
  ~SectionWriter() = default;

  void Fixed(std::string_view what, std::u16string_view text) {
    if (fixed_ >= shape_.fixed_lines) throw std::logic_error("too many fixed lines");
    RequireOneLine(what, text);
    Line(text);
    ++fixed_;
  }
  void Item(std::string_view what, std::u16string_view text) {
    if (fixed_ != shape_.fixed_lines) throw std::logic_error("fixed lines missing");
    RequireListLine(what, text);
    Line(text);
  }
  void End() {
    if (fixed_ != shape_.fixed_lines) throw std::logic_error("fixed lines missing");
    Line(format::kSectionEnd);
  }

 private:
  void Line(std::u16string_view text) {
    out_.append(core::Utf16ToUtf8(text));
    out_.append("\r\n");
  }

  std::string& out_;
  const format::SectionShape& shape_;
  int fixed_ = 0;
};

template <typename Field>
void WriteStatementLines(std::string& out, const CompiledScript& script, Section section,
                         Field field) {
  SectionWriter writer(out, section);
  for (size_t i = 0; i < script.statements.size(); ++i) {
    writer.Item(StatementName(i), field(script.statements[i]));
  }
  writer.End();
}

std::u16string StoredParameter(size_t index, const std::u16string& parameter) {
  if (parameter == format::kSectionEnd) return std::u16string(format::kDollarLine);
  if (core::EqualIgnoreCase(parameter, format::kDollarLine) ||
      core::EqualIgnoreCase(parameter, format::kWildDollarLine)) {
    Unstorable(StatementName(index) + " parameter", parameter, "it would read back as \"$\"");
  }
  return parameter;
}

void WriteParameters(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kParameters);
  for (size_t i = 0; i < script.statements.size(); ++i) {
    const ScriptStatement& statement = script.statements[i];
    if (statement.parameters.empty()) continue;
    writer.Item(StatementName(i) + " key", statement.key);
    for (const std::u16string& parameter : statement.parameters) {
      writer.Item(StatementName(i) + " parameter", StoredParameter(i, parameter));
    }
  }
  writer.End();
}

void WriteProduct(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kProduct);
  writer.Fixed("product code", script.product_code);
  writer.Fixed("product title", script.product_title);
  for (const std::u16string& command : script.plugin_commands) {
    writer.Item("plug-in command", command);
  }
  writer.End();
}

void WritePublisher(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kPublisher);
  for (const std::u16string& text : script.publisher) writer.Fixed("publisher text", text);
  for (const auto& [block, key] : script.web_media_keys) {
    writer.Item("web media block name", block);
    writer.Item("web media key", key);
  }
  writer.End();
}

void WriteComponents(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kComponents);
  writer.Fixed("build mode", core::DecimalText(script.build_mode));
  for (const auto& [name, size] : script.component_sizes) {
    writer.Item("component name", name);
    writer.Item("component size", core::DecimalText(size));
  }
  writer.End();
}

void WriteMediaFiles(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kMediaFiles);
  writer.Fixed("revision code", script.revision_code);
  for (const MediaFile& file : script.media_files) {
    writer.Item("media file block", file.block);
    writer.Item("media file path", file.path);
    writer.Item("media file payload folder", file.payload_folder);
  }
  writer.End();
}

void WriteLanguage(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kLanguage);
  writer.Fixed("language prompt", script.language_prompt ? u"TRUE" : u"FALSE");
  writer.Fixed("default language", script.default_language);
  for (const auto& [header, index] : script.command_headers) {
    writer.Item("command header", header);
    writer.Item("command header index", core::DecimalText(index));
  }
  writer.End();
}

void WriteConstants(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kConstants);
  for (const auto& [name, value] : script.constants) {
    writer.Item("constant name", name);
    writer.Item("constant value", value);
  }
  writer.End();
}

void WritePayload(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kPayload);
  writer.Fixed("payload total", core::DecimalText(script.payload_total));
  for (const InstallMapGroup& group : script.install_map) {
    writer.Item("install map header", group.header);
    writer.Item("install map header", format::kGroupMarker);
    for (const auto& [path, target] : group.files) {
      if (target == format::kGroupMarker) {
        Unstorable("install map target", target, "it would start a group");
      }
      writer.Item("install map path", path);
      writer.Item("install map target", target);
    }
  }
  writer.End();
}

void WriteSourcePositions(std::string& out, const CompiledScript& script) {
  SectionWriter writer(out, Section::kSourcePositions);
  writer.Fixed("code page", core::DecimalText(script.code_page));
  for (size_t i = 0; i < script.statements.size(); ++i) {
    const ScriptStatement& s = script.statements[i];
    writer.Item(StatementName(i),
                s.source_file + format::kFieldSeparator + core::DecimalText(s.source_line));
  }
  writer.End();
}

std::u16string IncludeScope(const ScriptStatement& s) {
  return s.include_return_variable + format::kFieldSeparator + core::DecimalText(s.include_depth);
}

void WriteSection(std::string& out, const CompiledScript& script, Section section) {
  switch (section) {
    case Section::kCommands:
      return WriteStatementLines(out, script, section, [](auto& s) { return s.command; });
    case Section::kKeys:
      return WriteStatementLines(out, script, section, [](auto& s) { return s.key; });
    case Section::kParameters:
      return WriteParameters(out, script);
    case Section::kDisabledMarks:
      return WriteStatementLines(out, script, section, [](auto& s) {
        return s.disabled ? std::u16string(format::kDisabledMark) : std::u16string();
      });
    case Section::kProduct:
      return WriteProduct(out, script);
    case Section::kPublisher:
      return WritePublisher(out, script);
    case Section::kMediaFolders:
      return WriteStatementLines(out, script, section, [](auto& s) { return s.media_folder; });
    case Section::kComponents:
      return WriteComponents(out, script);
    case Section::kMediaFiles:
      return WriteMediaFiles(out, script);
    case Section::kLanguage:
      return WriteLanguage(out, script);
    case Section::kConstants:
      return WriteConstants(out, script);
    case Section::kSourcePositions:
      return WriteSourcePositions(out, script);
    case Section::kPayload:
      return WritePayload(out, script);
    case Section::kIncludeScopes:
      return WriteStatementLines(out, script, section, IncludeScope);
  }
}

}  // namespace

std::string WriteScriptText(const CompiledScript& script) {
  std::string out = "\xEF\xBB\xBF";
  for (const format::SectionShape& shape : format::kSections) {
    WriteSection(out, script, shape.section);
  }
  return out;
}

}  // namespace velkor::script
