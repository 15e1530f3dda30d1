#include "startup/command_line.h"

#include <optional>

#include "core/case_mapping.h"
#include "core/path_text.h"

namespace velkor::startup {
namespace {

bool StartsWithSwitchMark(std::u16string_view argument) {
  return !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
}

// "/s", "-QN", ...: a switch mark followed by exactly one of the names.
bool IsFlagSwitch(std::u16string_view argument, std::u16string_view name1,
                  std::u16string_view name2) {
  if (!StartsWithSwitchMark(argument)) return false;
  const std::u16string_view name = argument.substr(1);
  return core::EqualIgnoreCase(name, name1) || core::EqualIgnoreCase(name, name2);
}

bool AnyFlagSwitch(const std::vector<std::u16string>& arguments, std::u16string_view name1,
                   std::u16string_view name2) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsFlagSwitch(arguments[i], name1, name2)) return true;
  }
  return false;
}

// The value of the first argument whose lower-cased text contains one of the marks.
std::optional<std::u16string> ValueSwitch(const std::vector<std::u16string>& arguments,
                                          std::u16string_view mark1, std::u16string_view mark2) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string lower = core::Lower(arguments[i]);
    const bool matches = lower.find(mark1) != std::u16string::npos ||
                         (!mark2.empty() && lower.find(mark2) != std::u16string::npos);
    if (matches) return lower.size() > 3 ? lower.substr(3) : std::u16string();
  }
  return std::nullopt;
}

void CollectVariables(const std::vector<std::u16string>& arguments, char16_t separator,
                      std::vector<CommandLineVariable>& list) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (StartsWithSwitchMark(argument)) continue;
    const size_t at = argument.find(separator);
    if (at == std::u16string::npos) continue;
    list.push_back({core::Upper(argument.substr(0, at)), argument.substr(at + 1)});
  }
}

}  // namespace

bool IsOutOfProcessExtract(const std::vector<std::u16string>& arguments) {
  return arguments.size() > 1 && arguments[1] == kOutOfProcessExtractArgument;
}

CommandLineSwitches ParseSwitches(const std::vector<std::u16string>& arguments) {
  CommandLineSwitches switches;
  switches.silent = AnyFlagSwitch(arguments, u"s", u"qn");
  switches.update = AnyFlagSwitch(arguments, u"update", u"updatesetup");
  switches.group_policy_path = ValueSwitch(arguments, u"/g=", u"").value_or(u"");
  switches.self_extractor_path = ValueSwitch(arguments, u"/m=", u"").value_or(u"");
  switches.log_path = ValueSwitch(arguments, u"/l=", u"-l=").value_or(u"");
  switches.installed_setup_override =
      core::WithTrailingBackslash(ValueSwitch(arguments, u"/p=", u"-p=").value_or(u""));
  CollectVariables(arguments, u'=', switches.equals_variables);
  CollectVariables(arguments, u':', switches.colon_variables);
  return switches;
}

std::u16string CommandLineRest(std::u16string_view raw_command_line) {
  std::u16string_view rest = raw_command_line;
  if (!rest.empty() && rest[0] == u'"') {
    rest.remove_prefix(1);
    const size_t quote = rest.find(u'"');
    if (quote == std::u16string_view::npos) return {};
    const size_t cut = quote + 2;  // the quote and the one character after it
    return cut >= rest.size() ? std::u16string() : std::u16string(rest.substr(cut));
  }
  const size_t blank = rest.find(u' ');
  if (blank == std::u16string_view::npos) return {};
  return std::u16string(rest.substr(blank + 1));
}

}  // namespace velkor::startup
