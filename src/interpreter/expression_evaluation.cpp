#include "interpreter/expression_evaluation.h"

#include <cstdint>
#include <unordered_map>

#include "core/decimal.h"
#include "core/truth.h"
#include "script/script_error.h"

namespace velkor::interpreter {
namespace {

// The expression text handed to the grammar, with each variable operand written as an
// empty quoted operand ("") and its value kept aside under its operand number. The
// grammar pairs double quotes strictly in order and every comparison reads two quoted
// operands, so the k-th comparison reads operands 2k and 2k+1; a placeholder whose
// opening quote would close an operand of the text lies inside one, and the grammar
// rejects what follows it.
struct OperandText {
  std::u16string text;
  std::unordered_map<size_t, std::u16string> variable_operands;
  size_t quotes = 0;

  void AddText(std::u16string_view part) {
    for (const char16_t c : part) quotes += c == u'"' ? 1 : 0;
    text += part;
  }
  void AddVariableOperand(std::u16string value) {
    if (quotes % 2 == 0) variable_operands.emplace(quotes / 2, std::move(value));
    AddText(u"\"\"");
  }
};

OperandText SubstituteReferences(std::u16string_view expression, const VariableValue& value_of) {
  OperandText out;
  size_t from = 0;
  while (true) {
    const size_t open = expression.find(u'$', from);
    const size_t close = open == std::u16string_view::npos ? open : expression.find(u'$', open + 1);
    if (close == std::u16string_view::npos) break;
    const std::u16string_view name = expression.substr(open + 1, close - open - 1);
    std::optional<std::u16string> value;
    if (!name.empty()) value = value_of(name);
    if (value) {
      out.AddText(expression.substr(from, open - from));
      out.AddVariableOperand(std::move(*value));
      from = close + 1;
    } else {
      out.AddText(expression.substr(from, close - from));
      from = close;
    }
  }
  out.AddText(expression.substr(from));
  return out;
}

bool IsDecimalInteger(std::u16string_view text) {
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) text.remove_prefix(1);
  if (text.empty()) return false;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

int32_t IntegerOperand(std::u16string_view text) {
  const std::optional<int32_t> value = core::ParseInt32(text);
  if (!value) {
    throw script::ScriptError(u"Evaluate Expression: the number \"" + std::u16string(text) +
                              u"\" is out of the integer range (-2147483648 to 2147483647)");
  }
  return *value;
}

template <typename T>
bool Holds(ComparisonOperator op, const T& left, const T& right) {
  switch (op) {
    case ComparisonOperator::kEqual:
      return left == right;
    case ComparisonOperator::kNotEqual:
      return left != right;
    case ComparisonOperator::kLess:
      return left < right;
    case ComparisonOperator::kLessEqual:
      return left <= right;
    case ComparisonOperator::kGreater:
      return left > right;
    case ComparisonOperator::kGreaterEqual:
      return left >= right;
  }
  return false;
}

}  // namespace

bool CompareOperands(const ExpressionComparison& comparison) {
  if (IsDecimalInteger(comparison.left) && IsDecimalInteger(comparison.right)) {
    return Holds(comparison.op, IntegerOperand(comparison.left), IntegerOperand(comparison.right));
  }
  return Holds(comparison.op, comparison.left, comparison.right);
}

std::u16string EvaluateExpression(std::u16string_view expression, const VariableValue& value_of) {
  const OperandText operands = SubstituteReferences(expression, value_of);
  auto operand = [&operands](size_t number, std::u16string_view written) {
    const auto found = operands.variable_operands.find(number);
    return found == operands.variable_operands.end() ? written : std::u16string_view(found->second);
  };
  size_t comparisons = 0;
  const std::optional<bool> result =
      ReadExpression(operands.text, [&](const ExpressionComparison& written) {
        const size_t first = 2 * comparisons++;
        return CompareOperands(ExpressionComparison{operand(first, written.left), written.op,
                                                    operand(first + 1, written.right)});
      });
  if (!result) return u"ERROR";
  return core::TruthText(*result);
}

}  // namespace velkor::interpreter
