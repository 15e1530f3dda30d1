#include "interpreter/condition.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "script/script_error.h"

namespace velkor::interpreter {
namespace {

struct Case {
  const char16_t* left;
  const char16_t* code;
  const char16_t* right;
  bool expected;  // without negation
};

std::string Describe(const Case& c) {
  return core::Utf16ToUtf8(std::u16string(u"\"") + c.left + u"\" " + c.code + u" \"" + c.right +
                           u"\"");
}

TEST(ConditionTest, EveryCodeInIntegerAndTextFormsAndItsNegation) {
  const Case cases[] = {
      // "0": equal; integers compare by value, texts case-sensitively.
      {u"007", u"0", u"7", true},
      {u"-3", u"0", u"-3", true},
      {u"abc", u"0", u"abc", true},
      {u"abc", u"0", u"ABC", false},
      {u"", u"0", u"", true},
      // "1": integers equal; texts: right occurs in left, case-sensitive.
      {u"12", u"1", u"12", true},
      {u"123", u"1", u"2", false},
      {u"123", u"1", u"123", true},
      {u"Program Files", u"1", u"Files", true},
      {u"Program Files", u"1", u"files", false},
      {u"x", u"1", u"", true},
      // "2": greater; integers by value, texts by ordinal comparison.
      {u"10", u"2", u"9", true},
      {u"10", u"2", u"9a", false},
      {u"-1", u"2", u"-2", true},
      {u"2147483647", u"2", u"-2147483648", true},
      {u"b", u"2", u"a", true},
      {u"B", u"2", u"a", false},
      {u"ab", u"2", u"a", true},
      {u"a", u"2", u"a", false},
      // Beyond 32 bits the text form applies: "3" sorts before "2..." is false.
      {u"2147483648", u"2", u"3", false},
      // "3": integers equal; texts: right occurs in left ignoring case.
      {u"42", u"3", u"4", false},
      {u"Program Files", u"3", u"FILES", true},
      {u"Program Files", u"3", u"Folders", false},
      // "4": integers equal; texts equal ignoring case.
      {u"+5", u"4", u"5", true},
      {u"Yes", u"4", u"YES", true},
      {u"Yes", u"4", u"No", false},
      // Blanks make a text: " 5" is not the integer 5.
      {u" 5", u"4", u"5", false},
      // "6": versions.
      {u"1.10", u"6", u"1.9", true},
      {u"1.9", u"6", u"1.10", false},
      {u"2", u"6", u"1.9.9.9", true},
      {u"1.0", u"6", u"1", false},
      {u"1", u"6", u"1.0", false},
      {u"1.2.3.4", u"6", u"1.2.3.3", true},
      {u"1.2.3.x", u"6", u"1.2.3", false},      // a last non-number is 0
      {u"1.2.3.4.9", u"6", u"1.2.3.4", false},  // text after the fourth part is not read
      {u"", u"6", u"0", false},
      // Unknown codes test false.
      {u"a", u"7", u"a", false},
      {u"a", u"", u"a", false},
      {u"a", u"00", u"a", false},
  };
  for (const Case& c : cases) {
    for (const bool negate : {false, true}) {
      const ConditionOperands operands{
          .left = c.left, .code = c.code, .right = c.right, .negate = negate};
      EXPECT_EQ(ConditionHolds(operands), c.expected != negate)
          << Describe(c) << (negate ? " negated" : "");
    }
  }
}

TEST(ConditionTest, ExistsCodeTestsOnlyTheVariablesExistence) {
  for (const bool exists : {false, true}) {
    for (const bool negate : {false, true}) {
      const ConditionOperands operands{
          .left = u"", .code = u"5", .right = u"x", .negate = negate, .variable_exists = exists};
      EXPECT_EQ(ConditionHolds(operands), exists != negate);
    }
  }
}

TEST(ConditionTest, VersionComparisonOrdersComponentsNumerically) {
  EXPECT_EQ(CompareVersions(u"1.10", u"1.9"), 1);
  EXPECT_EQ(CompareVersions(u"1.9", u"1.10"), -1);
  EXPECT_EQ(CompareVersions(u"1.0.0.0", u"1"), 0);
  EXPECT_EQ(CompareVersions(u"1.", u"1"), 0);
  EXPECT_EQ(CompareVersions(u"3.0.0.1", u"3.0.0.0"), 1);
}

TEST(ConditionTest, NonNumberBeforeADotIsARuntimeError) {
  for (const char16_t* version : {u"1.x.3", u"a.1", u"1..2", u".5", u"1.2.3.b.5"}) {
    const ConditionOperands operands{.left = version, .code = u"6", .right = u"1"};
    try {
      ConditionHolds(operands);
      ADD_FAILURE() << core::Utf16ToUtf8(version) << " was accepted";
    } catch (const script::ScriptError& error) {
      EXPECT_NE(error.message().find(version), std::u16string::npos) << error.what();
    }
  }
  // The right-hand version is read the same way.
  EXPECT_THROW(ConditionHolds({.left = u"1", .code = u"6", .right = u"v1.2"}), script::ScriptError);
}

}  // namespace
}  // namespace velkor::interpreter
