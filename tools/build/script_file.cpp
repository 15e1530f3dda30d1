#include "script_file.h"

#include <algorithm>

#include "core/text.h"
#include "value_syntax.h"

namespace velkor::build {
namespace {

using core::U16;
using core::Utf16ToUtf8;

void ReadAttribute(std::string_view line, size_t& pos, ProjectStatement& s,
                   const SourcePlace& place) {
  ++pos;  // '['
  const std::string name = ReadValue(line, pos, "=]", place);
  std::optional<std::string> value;
  if (pos < line.size() && line[pos] == '=') {
    ++pos;
    value = ReadValue(line, pos, "]", place);
  }
  if (pos >= line.size()) throw BuildError(place, "missing ']' after attribute '" + name + "'");
  ++pos;
  if (name == "off" && !value) {
    s.disabled = true;
  } else if (name == "key" && value) {
    s.key = U16(*value);
  } else if (name == "media" && value) {
    s.media_folder = U16(*value);
  } else {
    throw BuildError(
        place, "unknown attribute [" + name + "] (known: [off], [key=GUID], [media=FOLDER\\])");
  }
}

ProjectStatement ReadStatement(const SourceLine& line, const SourcePlace& place) {
  ProjectStatement s;
  s.line = line.number;
  const std::string_view text = line.text;
  size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '[') break;
    ReadAttribute(text, pos, s, place);
  }
  s.command = U16(ReadValue(text, pos, ":", place));
  if (s.command.empty()) throw BuildError(place, "statement without a command name");
  if (pos < text.size()) {
    for (const std::string& p : ReadValueList(text.substr(pos + 1), ',', place))
      s.parameters.push_back(U16(p));
  }
  return s;
}

}  // namespace

ScriptFile ParseScriptFile(std::string_view bytes, const std::string& file) {
  ScriptFile script{file, {}};
  for (const SourceLine& line : SplitLines(bytes, file))
    if (!IsBlankOrComment(line.text))
      script.statements.push_back(ReadStatement(line, {file, line.number}));
  return script;
}

namespace {

void RequireOneLine(const std::u16string& text, const SourcePlace& place) {
  if (text.find_first_of(u"\r\n") != std::u16string::npos)
    throw BuildError(place,
                     "text with a line break cannot be written: '" + Utf16ToUtf8(text) + "'");
}

std::string Attribute(const char* name, const std::u16string& value, const SourcePlace& place) {
  RequireOneLine(value, place);
  return std::string("[") + name + "=" + WriteValue(Utf16ToUtf8(value), "]") + "] ";
}

}  // namespace

std::string WriteStatement(const ProjectStatement& s, const SourcePlace& place) {
  std::string line;
  if (s.disabled) line += "[off] ";
  if (!s.key.empty()) line += Attribute("key", s.key, place);
  if (s.media_folder) line += Attribute("media", *s.media_folder, place);
  RequireOneLine(s.command, place);
  line += WriteValue(Utf16ToUtf8(s.command), ":", true);
  for (size_t i = 0; i < s.parameters.size(); ++i) {
    RequireOneLine(s.parameters[i], place);
    line += i == 0 ? ": " : ", ";
    line += WriteValue(Utf16ToUtf8(s.parameters[i]), ",");
  }
  return line;
}

namespace {

// Block nesting shown as indentation: openers indent what follows, closers and branch
// separators stand at their opener's level. Indentation is ignored when reading.
int IndentChange(const ProjectStatement& s, int& level) {
  static const std::u16string_view kOpeners[] = {u"If", u"Wizard Loop", u"While", u"Repeat",
                                                 u"For Each"};
  static const std::u16string_view kClosers[] = {u"End", u"Wend", u"Until", u"Next"};
  if (s.disabled) return level;
  for (auto closer : kClosers)
    if (s.command == closer) return level = std::max(0, level - 1);
  if (s.command == u"Else" || s.command == u"Else If") return std::max(0, level - 1);
  for (auto opener : kOpeners)
    if (s.command == opener) return level++;
  return level;
}

}  // namespace

std::string WriteScriptFile(const ScriptFile& script) {
  bool keep_lines = true;
  int previous = 0;
  for (const auto& s : script.statements) {
    keep_lines = keep_lines && s.line > previous;
    previous = s.line;
  }
  std::string out;
  int line = 1, level = 0;
  for (const auto& s : script.statements) {
    for (; keep_lines && line < s.line; ++line) out += "\n";
    out += std::string(size_t(2 * IndentChange(s, level)), ' ') +
           WriteStatement(s, {script.path, line}) + "\n";
    ++line;
  }
  return out;
}

}  // namespace velkor::build
