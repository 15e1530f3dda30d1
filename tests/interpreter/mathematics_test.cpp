// "Mathematics" and "Evaluate Expression": the operations and the evaluator as tables,
// then both commands run through the engine.
#include "interpreter/mathematics.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "core/text.h"
#include "interpreter/expression_evaluation.h"
#include "interpreter/interpreter_fixture.h"
#include "script/script_error.h"

namespace velkor::interpreter {
namespace {

std::string Utf8(std::u16string_view text) {
  return core::Utf16ToUtf8(text);
}

constexpr std::optional<std::u16string_view> kNone;

TEST(MathematicsTest, OperationsOnSigned64BitIntegers) {
  struct Case {
    std::u16string_view operation, a, b;
    std::optional<std::u16string_view> expected;
  };
  const Case cases[] = {
      {u"0", u"2", u"3", u"5"},
      {u"0", u"9223372036854775807", u"1", u"-9223372036854775808"},  // wraps around
      {u"1", u"5", u"7", u"-2"},
      {u"1", u"-9223372036854775808", u"1", u"9223372036854775807"},
      {u"2", u"-4", u"5", u"-20"},
      {u"2", u"4611686018427387904", u"2", u"-9223372036854775808"},
      {u"3", u"7", u"2", u"3"},
      {u"3", u"-7", u"2", u"-3"},
      {u"3", u"7", u"0", kNone},
      {u"3", u"-9223372036854775808", u"-1", kNone},  // the quotient does not exist
      {u"3", u"-9223372036854775808", u"1", u"-9223372036854775808"},
      {u"4", u"-7", u"2", u"-1"},
      {u"4", u"7", u"-2", u"1"},
      {u"4", u"7", u"0", kNone},
      {u"4", u"-9223372036854775808", u"-1", u"0"},
      {u"5", u"12", u"10", u"8"},
      {u"6", u"12", u"10", u"14"},
      {u"7", u"12", u"10", u"6"},
      {u"8", u"1", u"4", u"16"},
      {u"8", u"1", u"63", u"-9223372036854775808"},
      {u"8", u"1", u"64", u"0"},
      {u"8", u"1", u"-1", kNone},
      {u"9", u"-1", u"60", u"15"},  // zero-filled from the left
      {u"9", u"256", u"4", u"16"},
      {u"9", u"-1", u"64", u"0"},
      {u"10", u"0", u"not read", u"-1"},
      {u"10", u"-6", u"", u"5"},
      {u"11", u"Abc", u"", u"65"},
      {u"11", u"\u20ACuro", u"", u"8364"},
      {u"11", u"", u"", kNone},
      {u"12", u"65", u"not read", u"A"},
      {u"12", u"65535", u"", u"\uFFFF"},
      {u"12", u"65536", u"", kNone},
      {u"12", u"-1", u"", kNone},
      // Conversion errors: strict decimal, 64-bit range, no blanks.
      {u"0", u"1.5", u"1", kNone},
      {u"0", u" 1", u"1", kNone},
      {u"0", u"0x10", u"1", kNone},
      {u"0", u"1", u"", kNone},
      {u"0", u"9223372036854775808", u"0", kNone},
      {u"0", u"+4", u"-1", u"3"},
      {u"10", u"x", u"", kNone},
      // Unknown operations.
      {u"16", u"1", u"1", kNone},
      {u"-1", u"1", u"1", kNone},
      {u"add", u"1", u"1", kNone},
      {u"", u"1", u"1", kNone},
  };
  for (const Case& c : cases) {
    RandomGeneratorState random;
    const std::optional<std::u16string> result = Calculate(c.operation, c.a, c.b, random);
    const std::optional<std::u16string> expected =
        c.expected ? std::optional<std::u16string>(*c.expected) : std::nullopt;
    EXPECT_EQ(result, expected) << "op " << Utf8(c.operation) << " on " << Utf8(c.a) << ", "
                                << Utf8(c.b) << " gave " << Utf8(result.value_or(u"(none)"));
  }
}

TEST(MathematicsTest, GeneratorRunsIn32BitsAndKeepsItsState) {
  RandomGeneratorState random;
  auto run = [&random](std::u16string_view op, std::u16string_view a, std::u16string_view b) {
    return Calculate(op, a, b, random).value_or(u"(none)");
  };
  // Before any seeding: T = 0 * 0 + 0.
  EXPECT_EQ(run(u"15", u"100", u""), u"0");
  EXPECT_EQ(run(u"13", u"5", u"3"), u"8");
  EXPECT_EQ(run(u"14", u"7", u""), u"7");
  EXPECT_EQ(run(u"15", u"100", u""), u"38");  // 5 * 7 + 3
  EXPECT_EQ(run(u"15", u"10", u""), u"3");    // 5 * 38 + 3 = 193
  EXPECT_EQ(random.seed, 193);
  // A zero modulus gives no result, but the generator has moved on.
  EXPECT_EQ(run(u"15", u"0", u""), u"(none)");
  EXPECT_EQ(random.seed, 5 * 193 + 3);
  // Multiplier, increment and seed keep 32 bits; the product wraps in 32 bits.
  EXPECT_EQ(run(u"13", u"4294967298", u"0"), u"4294967298");
  EXPECT_EQ(random.multiplier, 2);
  EXPECT_EQ(run(u"13", u"2147483647", u"0"), u"2147483647");
  EXPECT_EQ(run(u"14", u"2", u""), u"2");
  EXPECT_EQ(run(u"15", u"1000", u""), u"-2");  // 2147483647 * 2 wraps to -2
  EXPECT_EQ(random.seed, -2);
  // A failed conversion changes nothing.
  EXPECT_EQ(run(u"13", u"1", u"x"), u"(none)");
  EXPECT_EQ(random.multiplier, 2147483647);
}

std::optional<std::u16string> Lookup(const std::map<std::u16string, std::u16string>& variables,
                                     std::u16string_view name) {
  const auto found = variables.find(std::u16string(name));
  if (found == variables.end()) return std::nullopt;
  return found->second;
}

TEST(ExpressionEvaluationTest, ComparisonsConnectivesAndVariableOperands) {
  const std::map<std::u16string, std::u16string> variables = {
      {u"A", u"10"},
      {u"B", u"9"},
      {u"EMPTY", u""},
      {u"QUOTED", u"say \"hi\""},
      {u"SHAPE", u") or (\"1\" = \"1"},
      {u"DOLLARS", u"$A$"},
  };
  struct Case {
    std::u16string expression;
    std::u16string_view expected;
  };
  const Case cases[] = {
      {u"\"10\" > \"9\"", u"TRUE"},
      {u"\"10\" > \"9x\"", u"FALSE"},  // text order: "1" sorts before "9"
      {u"\"-5\" < \"+3\"", u"TRUE"},
      {u"\"-\" < \"+\"", u"FALSE"},  // a lone sign is text
      {u"\"007\" = \"7\"", u"TRUE"},
      {u"\"B\" < \"a\"", u"TRUE"},  // ordinal, case-sensitive
      {u"\"abc\" <> \"abc\"", u"FALSE"},
      {u"\"a\" <= \"a\" and \"b\" >= \"a\"", u"TRUE"},
      {u"\"a\" = \"b\" or \"b\" = \"b\"", u"TRUE"},
      {u"\"a\" = \"a\" AND \"b\" = \"b\"", u"ERROR"},
      // Strictly left to right: (true or false) and false.
      {u"\"1\" = \"1\" or \"1\" = \"2\" and \"1\" = \"2\"", u"FALSE"},
      {u"\"1\" = \"1\" or (\"1\" = \"2\" and \"1\" = \"2\")", u"TRUE"},
      {u"  \"1\"=\"1\"  ", u"TRUE"},
      {u"\"1\" = \"1\")", u"ERROR"},
      {u"(\"1\" = \"1\"", u"ERROR"},
      {u"\"1\" == \"1\"", u"ERROR"},
      {u"\"1\" = \"1\" \"2\"", u"ERROR"},
      {u"", u"ERROR"},
      {u"$A$ > $B$", u"TRUE"},  // both integers
      {u"$A$ = \"10\" and $EMPTY$ = \"\"", u"TRUE"},
      // A value is one operand whatever it holds.
      {u"$QUOTED$ = $QUOTED$", u"TRUE"},
      {u"$QUOTED$ <> \"say\"", u"TRUE"},
      {u"$SHAPE$ = \"x\"", u"FALSE"},
      // A value's dollar signs are its own: they are not read as references again.
      {u"$DOLLARS$ = $DOLLARS$", u"TRUE"},
      {u"$DOLLARS$ <> $A$", u"TRUE"},
      {u"($A$ = \"10\")", u"TRUE"},
      {u"$A$=$A$", u"TRUE"},
      // A reference inside a quoted operand splits it.
      {u"\"x$A$\" = \"x10\"", u"ERROR"},
      // Undefined references stay as text, which is no operand.
      {u"$UNDEFINED$ = \"x\"", u"ERROR"},
      // A "$" without a variable name does not consume the next one.
      {u"\"$\" = \"$\"", u"TRUE"},
      {u"\"$X $A$\" = \"\"", u"ERROR"},
      {u"\"$X \" = $A$", u"FALSE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EvaluateExpression(c.expression,
                                 [&](std::u16string_view name) { return Lookup(variables, name); }),
              c.expected)
        << Utf8(c.expression);
  }
}

TEST(ExpressionEvaluationTest, IntegersBeyond32BitsAreARuntimeErrorOnlyWhenComparedAsIntegers) {
  auto no_variables = [](std::u16string_view) { return std::optional<std::u16string>(); };
  EXPECT_EQ(EvaluateExpression(u"\"2147483647\" > \"-2147483648\"", no_variables), u"TRUE");
  EXPECT_EQ(EvaluateExpression(u"\"2147483648\" = \"x\"", no_variables), u"FALSE");
  for (const std::u16string_view expression :
       {u"\"2147483648\" = \"1\"", u"\"1\" = \"-2147483649\"",
        u"\"1\" = \"1\" or \"99999999999\" = \"1\""}) {
    EXPECT_THROW(EvaluateExpression(expression, no_variables), script::ScriptError)
        << Utf8(expression);
  }
}

}  // namespace

namespace testing {
namespace {

TEST(MathematicsRunTest, ResultsAndTheGeneratorAcrossStatements) {
  ScriptRun run(R"(
Set Variable: A$KEVO$KEVO$FALSE, 65
Mathematics: $A$, 0, 3, DIVIDED
Mathematics: $A$, , 12, LETTER
Mathematics: 5, 3, 13,
Mathematics: 7, , 14,
Mathematics: 100, , 15, RANDOM
Set Variable: KEPT$KEVO$KEVO$FALSE, old
Mathematics: 1, 1, 99, KEPT
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_TRUE(run.Exists(u"DIVIDED"));
  EXPECT_EQ(run.Var8(u"DIVIDED"), "");
  EXPECT_EQ(run.Var8(u"LETTER"), "A");
  EXPECT_EQ(run.Var8(u"RANDOM"), "38");
  EXPECT_EQ(run.Var8(u"KEPT"), "");
}

TEST(MathematicsRunTest, EvaluateExpressionKeepsValuesWithDoubleQuotesWhole) {
  ScriptRun run(R"(
Set Variable: TEN$KEVO$KEVO$FALSE, 10
Set Variable: SAID$KEVO$KEVO$FALSE, "say ""hi"""
Evaluate Expression: "$TEN$ > ""9""", GREATER
Evaluate Expression: "$TEN$ > ""9x""", TEXTUAL
Evaluate Expression: "$SAID$ = $SAID$ and $SAID$ <> ""say""", QUOTES
Evaluate Expression: "$TEN$ = ""10"" or $TEN$ = ""x""", ANY
)");
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_EQ(run.Var8(u"GREATER"), "TRUE");
  EXPECT_EQ(run.Var8(u"TEXTUAL"), "FALSE");
  EXPECT_EQ(run.Var8(u"QUOTES"), "TRUE");
  EXPECT_EQ(run.Var8(u"ANY"), "TRUE");
}

TEST(MathematicsRunTest, EvaluateExpressionWithAnOutOfRangeIntegerEndsTheScript) {
  ScriptRunOptions not_silent;
  not_silent.arguments.clear();
  ScriptRun run(R"(
Set Variable: BIG$KEVO$KEVO$FALSE, 3000000000
Evaluate Expression: "$BIG$ > ""1""", RESULT
Set Variable: AFTER$KEVO$KEVO$FALSE, ran
)",
                not_silent);
  ASSERT_TRUE(run.machine().ok());
  run.Run();
  EXPECT_FALSE(run.Exists(u"AFTER"));
  const auto boxes = run.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(Utf8(boxes[0].text).find("3000000000"), std::string::npos) << Utf8(boxes[0].text);
}

}  // namespace
}  // namespace testing
}  // namespace velkor::interpreter
