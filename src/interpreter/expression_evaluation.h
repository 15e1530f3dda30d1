// "Evaluate Expression": the expression grammar (expression_syntax.h) over operands
// that may come from variables.
//
// Every reference ($NAME$) to an existing variable stands for one whole operand: the
// variable's value, expanded. The value is never pasted into the expression text, so
// whatever it holds (double quotes, blanks, parentheses, "and", dollar signs) stays part
// of the operand and cannot change the expression's shape: with A = say "hi", the
// expression $A$ = $A$ is "TRUE". A reference must stand where a quoted operand may
// stand; one written inside a quoted operand ("x$A$") splits that operand, which is
// malformed ("ERROR"). References to variables that do not exist stay as written and
// are read as expression text. References are found as the variable store finds them:
// the first "$" opens a candidate and the next one closes it; when the name is not a
// variable, that closing "$" opens the next candidate.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/expression_syntax.h"

namespace velkor::interpreter {

// The expanded value of the variable `name`, or nullopt when it does not exist.
using VariableValue = std::function<std::optional<std::u16string>(std::u16string_view name)>;

// "TRUE", "FALSE" or "ERROR" (a malformed item, or text left over). Throws
// script::ScriptError when a comparison of two decimal integers meets one outside the
// 32-bit range.
std::u16string EvaluateExpression(std::u16string_view expression, const VariableValue& value_of);

// One comparison: as signed 32-bit integers when both operands are decimal integers (an
// optional "+" or "-", then digits), else by ordinal, case-sensitive text order.
bool CompareOperands(const ExpressionComparison& comparison);

}  // namespace velkor::interpreter
