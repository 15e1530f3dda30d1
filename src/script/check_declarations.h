// The variables the script check declares: the reserved names it defines before it
// looks at the script, and the result variables that commands name in their
// parameters. Constant data shared by the check and by tests.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velkor::script {

struct CheckDeclared {
  std::u16string_view name;
  std::u16string_view value;
};

// The reserved variables declared by the check, with their defaults (empty unless set).
std::span<const CheckDeclared> CheckDeclaredVariables();

enum class ResultNeed {
  kRequired,
  kOptional,
  kRequiredUnlessSeeding,  // "Mathematics": not needed by operations "13" and "14"
  kRequiredWhenFirstTrue,  // "System Restore": needed when parameter 1 is true
};

enum class ResultNameForm {
  kWhole,         // the parameter is the name
  kBeforeMarker,  // "Set Variable": the text before "$KEVO$KEVO$", or all of it
  kBeforeBar,     // "Read Registry", "Check Registry": the text before the first "|"
};

// A command's parameter that names a variable the command writes.
struct ResultRule {
  std::u16string_view command;
  int32_t parameter;
  ResultNeed need;
  ResultNameForm form;
};

std::span<const ResultRule> ResultVariableRules();

}  // namespace velkor::script
