// The engine's command line: the mode of the process, the switches and the command-line
// variables. Pure functions over the argument list (argument 0 is the engine path) and
// the raw command line, so every rule can be checked without a process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "startup/startup_values.h"

namespace velkor::startup {

inline constexpr std::u16string_view kOutOfProcessExtractArgument = u"OutOfProcessExtract";

// True when argument 1 is exactly "OutOfProcessExtract" (case-sensitive).
bool IsOutOfProcessExtract(const std::vector<std::u16string>& arguments);

struct CommandLineSwitches {
  bool silent = false;
  bool update = false;
  std::u16string log_path;
  std::u16string group_policy_path;
  std::u16string self_extractor_path;
  std::u16string installed_setup_override;
  std::vector<CommandLineVariable> equals_variables;
  std::vector<CommandLineVariable> colon_variables;
};

// Reads the switches from arguments 1 onward; for every switch the first matching
// argument wins. A value switch matches anywhere inside an argument and its value is
// the lower-cased argument without its first three characters ("X/l=abc" gives "=abc").
CommandLineSwitches ParseSwitches(const std::vector<std::u16string>& arguments);

// The raw command line without its program part: a quoted program ends one character
// after its closing quote; an unquoted one at the first blank. A program alone (no
// blank, or a quote that is never closed) leaves nothing.
std::u16string CommandLineRest(std::u16string_view raw_command_line);

}  // namespace velkor::startup
