#include "interpreter/condition.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "core/truth.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"
#include "script/script_error.h"

namespace velkor::interpreter {
namespace {

constexpr size_t kVersionComponents = 4;
using Version = std::array<int64_t, kVersionComponents>;

// Components before a "." must be numbers; the last one reads as 0 when it is not.
// Text after the fourth component is not read.
Version ParseVersion(std::u16string_view text) {
  Version version{};
  std::u16string_view rest = text;
  for (size_t i = 0; i < kVersionComponents; ++i) {
    const size_t dot = rest.find(u'.');
    if (dot == std::u16string_view::npos) {
      version[i] = core::ParseInt64(rest).value_or(0);
      break;
    }
    const std::u16string_view component = rest.substr(0, dot);
    const std::optional<int64_t> value = core::ParseInt64(component);
    if (!value) {
      throw script::ScriptError(u"Invalid version \"" + std::u16string(text) + u"\": \"" +
                                std::u16string(component) + u"\" is not a number");
    }
    version[i] = *value;
    rest = rest.substr(dot + 1);
  }
  return version;
}

bool IntegerTest(char16_t code, int32_t left, int32_t right) {
  return code == u'2' ? left > right : left == right;
}

bool TextTest(char16_t code, std::u16string_view left, std::u16string_view right) {
  switch (code) {
    case u'0':
      return left == right;
    case u'1':
      return left.find(right) != std::u16string_view::npos;
    case u'2':
      return left.compare(right) > 0;
    case u'3':
      return core::FindIgnoreCase(left, right) != std::u16string_view::npos;
    case u'4':
      return core::EqualIgnoreCase(left, right);
    default:
      return false;
  }
}

bool Test(const ConditionOperands& operands) {
  if (operands.code.size() != 1) return false;
  const char16_t code = operands.code.front();
  if (code == u'5') return operands.variable_exists;
  if (code == u'6') return CompareVersions(operands.left, operands.right) > 0;
  if (code < u'0' || code > u'4') return false;
  const std::optional<int32_t> left = core::ParseInt32(operands.left);
  const std::optional<int32_t> right = core::ParseInt32(operands.right);
  if (left && right) return IntegerTest(code, *left, *right);
  return TextTest(code, operands.left, operands.right);
}

}  // namespace

int CompareVersions(std::u16string_view left, std::u16string_view right) {
  const Version a = ParseVersion(left);
  const Version b = ParseVersion(right);
  if (a == b) return 0;
  return a > b ? 1 : -1;
}

bool ConditionHolds(const ConditionOperands& operands) {
  return Test(operands) != operands.negate;
}

bool EvaluateCondition(const Statement& statement) {
  const script::Variables& variables = statement.run().variables();
  const std::u16string tested = statement.Localized(1);
  const std::u16string code = statement.Param(2);
  const bool exists_test = code == u"5";
  // The variable's value is only read for the comparing codes.
  const std::u16string left =
      exists_test ? std::u16string() : variables.ReadVariableReference(tested);
  const std::u16string right = statement.LocalizedExpanded(3);
  return ConditionHolds({.left = left,
                         .code = code,
                         .right = right,
                         .negate = core::TruthOf(statement.Param(4)),
                         .variable_exists = exists_test && variables.VariableExists(tested)});
}

}  // namespace velkor::interpreter
