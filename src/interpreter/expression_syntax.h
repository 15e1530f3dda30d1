// The grammar of "Evaluate Expression": comparisons of double-quoted operands joined
// by "and" and "or", with parentheses. The script check uses it to reject malformed
// expressions before the run; the command evaluates with it.
//
//   expression := term { blanks connective blanks term }
//   term       := "(" expression ")" | comparison
//   comparison := quoted blanks operator blanks quoted
//   quoted     := '"' any text without '"' '"'
//
// Blanks are spaces only, allowed between any two items. A connective or operator is
// the run of characters up to the next double quote or space: "and" or "or" (lower
// case only), and "=", "<>", "<", "<=", ">", ">=". Terms combine strictly from left to
// right, without precedence. The text is read wrapped in parentheses, as the command
// reads it, and nothing may be left over.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace velkor::interpreter {

enum class ComparisonOperator { kEqual, kNotEqual, kLess, kLessEqual, kGreater, kGreaterEqual };

struct ExpressionComparison {
  std::u16string_view left;  // operand text without its quotes
  ComparisonOperator op;
  std::u16string_view right;
};

using ComparisonFunction = std::function<bool(const ExpressionComparison&)>;

// The truth of the expression, every comparison decided by `compare` (called for each
// comparison once, left to right; whatever it throws passes through). nullopt when an
// item is malformed or text is left over. Nesting depth is limited only by memory.
std::optional<bool> ReadExpression(std::u16string_view expression,
                                   const ComparisonFunction& compare);

bool IsValidExpressionSyntax(std::u16string_view expression);

}  // namespace velkor::interpreter
