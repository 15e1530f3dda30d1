// The "Evaluate Expression" grammar as the script check applies it, and the reading
// order the evaluator will rely on.
#include <gtest/gtest.h>

#include "core/text.h"
#include "interpreter/expression_syntax.h"

namespace velkor::interpreter {
namespace {

TEST(ExpressionSyntaxTest, AcceptsWellFormedExpressions) {
  const char16_t* valid[] = {
      u"\"a\" = \"b\"",
      u"\"a\"=\"b\"",
      u"\"\" = \"\"",
      u"\"x y\" <> \"z\"",
      u"  \"a\"  >=  \"b\"  ",
      u"\"1\" < \"2\" and \"3\" > \"2\"",
      u"\"1\" <= \"2\" or \"3\" = \"2\" and \"4\" <> \"5\"",
      u"(\"a\" = \"b\") or (\"c\" <> \"d\")",
      u"((\"a\" = \"b\"))",
      u"\"a\" = \"b\" and (\"c\" = \"d\" or (\"e\" = \"f\"))",
      u"(\"a\" = \"b\")and (\"c\" = \"d\")",  // the connective ends at the blank
      // The text is read inside parentheses, so these two halves close and reopen them.
      u"\"a\" = \"b\") or (\"c\" = \"d\"",
  };
  for (const char16_t* text : valid) {
    EXPECT_TRUE(IsValidExpressionSyntax(text)) << core::Utf16ToUtf8(text);
  }
}

TEST(ExpressionSyntaxTest, RejectsMalformedExpressions) {
  const char16_t* invalid[] = {
      u"",
      u"()",
      u"\"a\"",
      u"\"a\" =",
      u"\"a\" = ",
      u"\"a\" == \"b\"",
      u"\"a\" =< \"b\"",
      u"\"a\" = b",
      u"a = \"b\"",
      u"$A$ = \"b\"",  // a reference to an undefined variable stays unquoted
      u"\"a\" = \"b",
      u"\"a = \"b\"",
      u"\"a\" = \"b\" AND \"c\" = \"d\"",  // connectives are lower case only
      u"\"a\" = \"b\" Or \"c\" = \"d\"",
      u"\"a\" = \"b\" \"c\" = \"d\"",
      u"\"a\" = \"b\" and",
      u"\"a\" = \"b\" and \"c\"",
      u"(\"a\" = \"b\"",
      u"\"a\" = \"b\")",
      u"(\"a\" = \"b\")and(\"c\" = \"d\")",  // "and(" is one word
      u"\"a\" = \"b\" and(\"c\" = \"d\")",
      u"\"a\"\t= \"b\"",  // only spaces are blanks
      u"\"a\" = \"b\" xor \"c\" = \"d\"",
      u"\"a\" = \"b\" ()",
  };
  for (const char16_t* text : invalid) {
    EXPECT_FALSE(IsValidExpressionSyntax(text)) << core::Utf16ToUtf8(text);
  }
}

// Compares the operands as texts; enough to see how terms combine.
bool TextCompare(const ExpressionComparison& c) {
  switch (c.op) {
    case ComparisonOperator::kEqual:
      return c.left == c.right;
    case ComparisonOperator::kNotEqual:
      return c.left != c.right;
    case ComparisonOperator::kLess:
      return c.left < c.right;
    case ComparisonOperator::kLessEqual:
      return c.left <= c.right;
    case ComparisonOperator::kGreater:
      return c.left > c.right;
    case ComparisonOperator::kGreaterEqual:
      return c.left >= c.right;
  }
  return false;
}

TEST(ExpressionSyntaxTest, TermsCombineFromLeftToRightWithoutPrecedence) {
  const struct {
    const char16_t* text;
    bool value;
  } cases[] = {
      // With precedence this would be true or (false and false).
      {u"\"1\" = \"1\" or \"1\" = \"2\" and \"1\" = \"2\"", false},
      {u"\"1\" = \"1\" or (\"1\" = \"2\" and \"1\" = \"2\")", true},
      {u"\"a\" < \"b\" and \"b\" >= \"b\"", true},
      {u"\"a\" <> \"a\" or \"x\" <= \"w\"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadExpression(c.text, TextCompare), c.value) << core::Utf16ToUtf8(c.text);
  }
}

TEST(ExpressionSyntaxTest, ComparisonsAreReadInOrderWithTheirOperands) {
  std::vector<std::u16string> seen;
  ReadExpression(u"(\"a\" <> \"b\") and \"c d\" >= \"\"", [&](const ExpressionComparison& c) {
    seen.push_back(std::u16string(c.left) + u"|" + std::u16string(c.right));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"a|b", u"c d|"}));
}

TEST(ExpressionSyntaxTest, DeepNestingNeedsNoRecursion) {
  const size_t depth = 200000;
  const std::u16string deep =
      std::u16string(depth, u'(') + u"\"a\" = \"a\"" + std::u16string(depth, u')');
  EXPECT_EQ(ReadExpression(deep, TextCompare), true);
  EXPECT_FALSE(IsValidExpressionSyntax(std::u16string(depth, u'(')));
}

}  // namespace
}  // namespace velkor::interpreter
