#include "interpreter/mathematics.h"

#include <limits>

#include "core/decimal.h"
#include "interpreter/command_table.h"
#include "interpreter/expression_evaluation.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"

namespace velkor::interpreter {
namespace {

using Op = MathOperation;

constexpr int32_t kLastOperation = static_cast<int32_t>(Op::kNextRandom);
constexpr int64_t kGeneratorModulus = 32767;
constexpr int64_t kLargestCharacterCode = 0xFFFF;
constexpr int64_t kBitsInOperand = 64;

bool ReadsB(Op op) {
  return op <= Op::kShiftRight || op == Op::kSeedGenerator;
}

// Two's-complement wrap-around, without the undefined behaviour of signed overflow.
int64_t Wrap(uint64_t value) {
  return static_cast<int64_t>(value);
}
int32_t Wrap32(uint32_t value) {
  return static_cast<int32_t>(value);
}

std::optional<int64_t> Divide(int64_t a, int64_t b) {
  if (b == 0 || (a == std::numeric_limits<int64_t>::min() && b == -1)) return std::nullopt;
  return a / b;
}

std::optional<int64_t> Remainder(int64_t a, int64_t b) {
  if (b == 0) return std::nullopt;
  if (b == -1) return 0;  // a % -1 would trap for the smallest value
  return a % b;
}

std::optional<int64_t> Shift(int64_t a, int64_t bits, bool left) {
  if (bits < 0) return std::nullopt;
  if (bits >= kBitsInOperand) return 0;
  const uint64_t value = static_cast<uint64_t>(a);
  return Wrap(left ? value << bits : value >> bits);
}

// T := M * X + C in 32-bit arithmetic; the seed becomes T mod 32767 (also when the
// result then fails); the result is T mod A.
std::optional<int64_t> NextRandom(int64_t a, RandomGeneratorState& random) {
  const int32_t t =
      Wrap32(static_cast<uint32_t>(random.multiplier) * static_cast<uint32_t>(random.seed) +
             static_cast<uint32_t>(random.increment));
  random.seed = static_cast<int32_t>(t % kGeneratorModulus);
  return Remainder(t, a);
}

std::optional<int64_t> Arithmetic(Op op, int64_t a, int64_t b, RandomGeneratorState& random) {
  const uint64_t ua = static_cast<uint64_t>(a);
  const uint64_t ub = static_cast<uint64_t>(b);
  switch (op) {
    case Op::kAdd:
      return Wrap(ua + ub);
    case Op::kSubtract:
      return Wrap(ua - ub);
    case Op::kMultiply:
      return Wrap(ua * ub);
    case Op::kDivide:
      return Divide(a, b);
    case Op::kRemainder:
      return Remainder(a, b);
    case Op::kAnd:
      return a & b;
    case Op::kOr:
      return a | b;
    case Op::kXor:
      return a ^ b;
    case Op::kShiftLeft:
      return Shift(a, b, true);
    case Op::kShiftRight:
      return Shift(a, b, false);
    case Op::kNot:
      return ~a;
    case Op::kSeedGenerator:
      random.multiplier = Wrap32(static_cast<uint32_t>(ua));
      random.increment = Wrap32(static_cast<uint32_t>(ub));
      return Wrap(ua + ub);
    case Op::kSetSeed:
      random.seed = Wrap32(static_cast<uint32_t>(ua));
      return random.seed;
    case Op::kNextRandom:
      return NextRandom(a, random);
    case Op::kCharacterCode:
    case Op::kCharacter:
      break;
  }
  return std::nullopt;
}

void Mathematics(Statement& statement) {
  const std::u16string variable = statement.Param(4);
  const std::optional<std::u16string> result = Calculate(
      statement.Param(3), statement.Expanded(1), statement.Expanded(2), statement.run().random());
  if (!variable.empty()) statement.SetResult(variable, result.value_or(std::u16string()));
}

void EvaluateExpressionCommand(Statement& statement) {
  const script::Variables& variables = statement.run().variables();
  const std::u16string result =
      EvaluateExpression(statement.Param(1), [&variables](std::u16string_view name) {
        std::u16string value;
        if (!variables.Store().TryGetItem(name, value)) return std::optional<std::u16string>();
        return std::optional<std::u16string>(variables.ExpandVariables(value));
      });
  statement.SetResult(statement.Param(2), result);
}

}  // namespace

std::optional<std::u16string> Calculate(std::u16string_view operation, std::u16string_view a,
                                        std::u16string_view b, RandomGeneratorState& random) {
  const std::optional<int32_t> code = core::ParseInt32(operation);
  if (!code || *code < 0 || *code > kLastOperation) return std::nullopt;
  const Op op = static_cast<Op>(*code);
  if (op == Op::kCharacterCode) {
    if (a.empty()) return std::nullopt;
    return core::DecimalText(static_cast<int64_t>(a.front()));
  }
  const std::optional<int64_t> a_value = core::ParseInt64(a);
  if (!a_value) return std::nullopt;
  if (op == Op::kCharacter) {
    if (*a_value < 0 || *a_value > kLargestCharacterCode) return std::nullopt;
    return std::u16string(1, static_cast<char16_t>(*a_value));
  }
  std::optional<int64_t> b_value = int64_t{0};
  if (ReadsB(op)) b_value = core::ParseInt64(b);
  if (!b_value) return std::nullopt;
  const std::optional<int64_t> result = Arithmetic(op, *a_value, *b_value, random);
  if (!result) return std::nullopt;
  return core::DecimalText(*result);
}

void AddMathematicsCommands(CommandTable& table) {
  table.Add(u"Mathematics", Mathematics);
  table.Add(u"Evaluate Expression", EvaluateExpressionCommand);
}

}  // namespace velkor::interpreter
