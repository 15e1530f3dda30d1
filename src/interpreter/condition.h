// The one condition form shared by "If", "Else If", "While" and "Until": a tested
// variable, an operator code "0" to "6", a comparison text and a negate flag.
#pragma once

#include <string_view>

namespace velkor::interpreter {

class Statement;

// The operands of a condition once they are read from the statement.
struct ConditionOperands {
  std::u16string_view left;   // the tested variable's value (expanded)
  std::u16string_view code;   // "0" .. "6"
  std::u16string_view right;  // the comparison text (expanded)
  bool negate = false;
  bool variable_exists = false;  // code "5" tests only this
};

// T exclusive-or negate, where T is the code's test: integer forms when both texts are
// 32-bit decimal integers, text forms otherwise; an unknown code tests false. Throws
// script::ScriptError when a version (code "6") holds a non-number before a ".".
bool ConditionHolds(const ConditionOperands& operands);

// -1, 0 or 1 comparing two versions of up to four "."-separated decimal components.
int CompareVersions(std::u16string_view left, std::u16string_view right);

// Reads the condition's four parameters from the current statement and evaluates it.
bool EvaluateCondition(const Statement& statement);

}  // namespace velkor::interpreter
