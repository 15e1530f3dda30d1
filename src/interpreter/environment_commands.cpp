// Environment strings, temporary files and line-wise text file access.
#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "core/truth.h"
#include "interpreter/command_table.h"
#include "interpreter/interpreter.h"
#include "interpreter/path_text.h"
#include "interpreter/statement.h"
#include "interpreter/text_file_lines.h"

namespace velkor::interpreter {
namespace {

// Compared case-sensitively, as written.
constexpr std::u16string_view kReadAllPrefix = u"#READALL\\";
constexpr std::u16string_view kTempFilePrefix = u"vex";

std::u16string JoinLines(const std::vector<std::u16string>& lines, size_t from) {
  std::u16string joined;
  for (size_t i = from; i < lines.size(); ++i) {
    if (i > from) joined += kNewlineMarker;
    joined += lines[i];
  }
  return joined;
}

void GetEnvironment(Statement& statement) {
  Interpreter& run = statement.run();
  FileGuard guard(run);
  platform::Environment& environment = run.platform().environment();
  const std::u16string name = statement.Expanded(1);
  // A name that is not in the environment comes back between its percent signs.
  const std::u16string value =
      name.empty() ? JoinLines(environment.Strings(), 0) : environment.Expand(u"%" + name + u"%");
  statement.SetResult(statement.Param(2), value);
}

void GetTemporaryFile(Statement& statement) {
  Interpreter& run = statement.run();
  FileGuard guard(run);
  const std::u16string folder = run.variables().ReadVariableReference(u"TEMPDIR");
  const platform::Result<std::u16string> file =
      run.platform().files().CreateTempFile(folder, kTempFilePrefix);
  statement.SetResult(statement.Param(1), file.value_or(std::u16string()));
}

// Makes `path` the open file unless it already is; false when it cannot be read.
bool OpenForReading(Interpreter& run, std::u16string_view path) {
  OpenTextFile& open = run.text_file();
  if (!open.path.empty() && core::EqualIgnoreCase(open.path, path)) return true;
  open = {};
  const platform::Result<std::string> bytes = run.platform().files().ReadFile(path);
  if (!bytes.ok()) return false;
  open.path = std::u16string(path);
  open.lines = DecodeTextLines(*bytes);
  return true;
}

void ReadFromTextFile(Statement& statement) {
  Interpreter& run = statement.run();
  FileGuard guard(run);
  std::u16string path = NormalizedPath(run.variables(), statement.Param(1));
  const bool read_all = path.starts_with(kReadAllPrefix);
  if (read_all) path.erase(0, kReadAllPrefix.size());
  const std::u16string end_variable = statement.Param(3);
  OpenTextFile& open = run.text_file();
  if (OpenForReading(run, path) && open.next_line < open.lines.size()) {
    if (read_all) {
      statement.SetResult(statement.Param(2), JoinLines(open.lines, open.next_line));
      open.next_line = open.lines.size();
    } else {
      statement.SetResult(statement.Param(2), open.lines[open.next_line++]);
    }
  }
  const bool at_end = open.next_line >= open.lines.size();
  if (at_end) open = {};
  if (!end_variable.empty()) statement.SetResult(end_variable, core::TruthText(at_end));
}

void WriteToTextFile(Statement& statement) {
  Interpreter& run = statement.run();
  FileGuard guard(run);
  const std::u16string path = NormalizedPath(run.variables(), statement.Param(1));
  OpenTextFile& open = run.text_file();
  if (!open.path.empty() && core::EqualIgnoreCase(open.path, path)) open = {};
  platform::FileSystem& files = run.platform().files();
  // A missing or unreadable file counts as empty.
  const platform::Result<std::string> bytes = files.ReadFile(path);
  std::vector<std::u16string> lines =
      bytes.ok() ? DecodeTextLines(*bytes) : std::vector<std::u16string>();
  const std::u16string text = statement.Expanded(2);
  if (core::TruthOf(statement.Param(3))) {
    lines.insert(lines.begin(), text);
  } else {
    lines.push_back(text);
  }
  // Failures are ignored: the command has no result to report them in.
  files.SetAttributes(path, platform::attribute::kNormal);
  files.WriteFile(path, EncodeTextLines(lines));
}

}  // namespace

void AddEnvironmentCommands(CommandTable& table) {
  table.Add(u"Get Environment", GetEnvironment);
  table.Add(u"Get Temporary File", GetTemporaryFile);
  table.Add(u"Read from Text File", ReadFromTextFile);
  table.Add(u"Write to Text File", WriteToTextFile);
}

}  // namespace velkor::interpreter
