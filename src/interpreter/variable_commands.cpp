// Assignment, localized assignment, string replacement and splitting, case and path
// conversion.
#include "interpreter/variable_commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/truth.h"
#include "interpreter/command_table.h"
#include "interpreter/interpreter.h"
#include "interpreter/path_text.h"
#include "interpreter/statement.h"
#include "interpreter/string_operations.h"
#include "script/script_error.h"

namespace velkor::interpreter {
namespace {

constexpr std::u16string_view kCancelRequestTag = u"Set Variable Tricke";
constexpr int32_t kDefaultDownloadTimeout = 10;
constexpr int64_t kProgressMaximum = 100;

// The value of the variable a parameter names, as stored.
std::u16string ValueOf(const Statement& statement, int32_t variable_parameter) {
  return statement.run().variables().GetVariable(
      VariableNameOf(statement.Param(variable_parameter)));
}

void AddPersistedVariable(startup::InstallerIdentity& identity, std::u16string_view name) {
  std::vector<std::u16string>& names = identity.persisted_variables;
  const bool listed = std::any_of(names.begin(), names.end(), [name](const std::u16string& n) {
    return core::EqualIgnoreCase(n, name);
  });
  if (!listed) names.push_back(core::Upper(name));
}

void ShowProgressNow(Interpreter& run) {
  const script::Variables& variables = run.variables();
  const int64_t position = core::ParseInt64(variables.GetVariable(u"PROGRESS")).value_or(0);
  run.dialogs().ShowProgress(variables.GetVariable(u"PROGRESSTEXT"),
                             std::clamp<int64_t>(position, 0, kProgressMaximum));
}

// The names that make an assignment act on the run as well.
void ApplySettingVariable(Interpreter& run, std::u16string_view name, std::u16string_view value) {
  if (core::EqualIgnoreCase(name, u"ABORT")) {
    // Setting ABORT is how a script cancels: the cancel state reads KEVO_IsCancelled.
    run.variables().SetVariable(u"KEVO_IsCancelled", value, kCancelRequestTag);
  } else if (core::EqualIgnoreCase(name, u"KEVO_TIMEOUT")) {
    run.settings().download_timeout_seconds =
        core::ParseInt32(value).value_or(kDefaultDownloadTimeout);
  } else if (core::EqualIgnoreCase(name, u"PROGRESS") ||
             core::EqualIgnoreCase(name, u"PROGRESSTEXT")) {
    ShowProgressNow(run);
  }
}

void SetVariable(Statement& statement) {
  Interpreter& run = statement.run();
  const SetVariableTarget target = ReadSetVariableTarget(statement.Param(1));
  const std::u16string name = VariableNameOf(target.name);
  const std::u16string value = statement.LocalizedExpanded(2);
  // A change of NATIVE_LOGGING moves or flushes the native engine's logs (and may empty
  // an unusable new value) here, before the assignment, once the native engine exists.
  statement.SetResult(name, value);
  if (target.persist && !name.empty()) AddPersistedVariable(run.engine().identity, name);
  ApplySettingVariable(run, name, value);
}

void LocalizationVariable(Statement& statement) {
  Interpreter& run = statement.run();
  const std::u16string variable = statement.Param(1);
  const std::u16string text = run.TranslateKey(statement.Param(2), LocalizationKey(variable), 1);
  statement.SetResult(variable, run.variables().ExpandVariables(text));
}

void ReplaceString(Statement& statement) {
  const std::u16string source = LineBreaksToMarkers(ValueOf(statement, 1));
  const std::u16string search = LineBreaksToMarkers(statement.Expanded(2));
  const std::u16string replacement = LineBreaksToMarkers(statement.Expanded(3));
  statement.SetResult(statement.Param(1),
                      ReplaceText(source, search, replacement, core::TruthOf(statement.Param(4)),
                                  core::TruthOf(statement.Param(5))));
}

void ParseString(Statement& statement) {
  const script::Variables& variables = statement.run().variables();
  const std::u16string mode_text = statement.Param(5);
  const std::optional<int32_t> mode = core::ParseInt32(mode_text);
  if (!mode) {
    throw script::ScriptError(u"Parse String: the mode \"" + mode_text +
                              u"\" is not a number (0 to 3)");
  }
  const SplitParts parts = SplitText(
      NormalizedPath(variables, statement.Param(1)), NormalizedPath(variables, statement.Param(2)),
      *mode, core::TruthOf(statement.Param(7)), core::TruthOf(statement.Param(6)));
  if (!statement.Param(3).empty()) statement.SetResult(statement.Param(3), parts.first);
  if (!statement.Param(4).empty()) statement.SetResult(statement.Param(4), parts.second);
}

void ConvertCase(Statement& statement) {
  const std::u16string value = NormalizedPath(statement.run().variables(), ValueOf(statement, 1));
  const bool upper = core::TruthOf(statement.Param(2));
  statement.SetResult(statement.Param(1), upper ? core::Upper(value) : core::Lower(value));
}

void ExtractPath(Statement& statement) {
  const std::u16string value = NormalizedPath(statement.run().variables(), ValueOf(statement, 1));
  const std::optional<int32_t> part = core::ParseInt32(statement.Param(2));
  statement.SetResult(statement.Param(1), part ? ExtractPathPart(value, *part) : value);
}

// SETUPPATH holds a reference ("$EXEDIR$" or the like): read through it.
std::u16string SetupFolder(const script::Variables& variables) {
  std::u16string folder = NormalizeExpandedPath(variables.ReadVariableReference(u"SETUPPATH"));
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  return folder;
}

// The short or long form of an existing path; empty when it does not exist.
std::u16string ConvertedPath(Interpreter& run, std::u16string_view value, bool short_form) {
  platform::Platform& platform = run.platform();
  std::u16string path = platform.environment().Expand(NormalizedPath(run.variables(), value));
  if (DriveOf(path).empty()) path = SetupFolder(run.variables()) + path;
  path = AbsolutePath(path);
  platform::FileSystem& files = platform.files();
  if (!files.FolderExists(path) && !files.FileExists(path)) return {};
  return (short_form ? files.ShortPath(path) : files.LongPath(path)).value_or(std::u16string());
}

void ConvertPath(Statement& statement) {
  Interpreter& run = statement.run();
  FileGuard guard(run);
  statement.SetResult(statement.Param(1),
                      ConvertedPath(run, ValueOf(statement, 1), core::TruthOf(statement.Param(2))));
}

}  // namespace

SetVariableTarget ReadSetVariableTarget(std::u16string_view parameter) {
  const size_t marker = parameter.find(kPersistMarker);
  if (marker == std::u16string_view::npos) return {std::u16string(parameter), false};
  return {std::u16string(parameter.substr(0, marker)),
          parameter.substr(marker + kPersistMarker.size()) == u"TRUE"};
}

std::u16string LocalizationKey(std::u16string_view variable_parameter) {
  return u"TALLOWAY$" + std::u16string(variable_parameter) + u"$TALLOWAY";
}

void AddVariableCommands(CommandTable& table) {
  table.Add(u"Set Variable", SetVariable);
  table.Add(u"Localization Variable", LocalizationVariable);
  table.Add(u"Replace String", ReplaceString);
  table.Add(u"Parse String", ParseString);
  table.Add(u"Convert Case", ConvertCase);
  table.Add(u"Extract Path", ExtractPath);
  table.Add(u"Convert Path", ConvertPath);
}

}  // namespace velkor::interpreter
