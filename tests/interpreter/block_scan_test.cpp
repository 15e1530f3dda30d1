#include "interpreter/block_scan.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "interpreter/interpreter_state.h"
#include "script/script_format.h"

namespace velkor::interpreter {
namespace {

// One statement per text; "-" before a command disables it.
script::StatementTable TableOf(std::initializer_list<std::u16string_view> commands) {
  script::StatementTable table;
  for (std::u16string_view command : commands) {
    const bool disabled = command.starts_with(u"-");
    table.commands.Append(disabled ? command.substr(1) : command);
    table.disabled_marks.Append(disabled ? script::format::kDisabledMark : u"");
  }
  return table;
}

ScanPacer NoPump() {
  return ScanPacer(nullptr);
}

TEST(BlockScanTest, BranchScansStopAtTheirOwnBlocksSeparatorsAndEnd) {
  const script::StatementTable table = TableOf({
      u"If",           // 0
      u"If",           // 1  nested
      u"Else",         // 2  nested separator
      u"Wizard Loop",  // 3
      u"-End",         // 4  disabled: no closer
      u"End",          // 5  closes the wizard loop
      u"End",          // 6  closes the nested If
      u"Ignore",       // 7
      u"-Else If",     // 8
      u"Else If",      // 9
      u"Else",         // 10
      u"End",          // 11
  });
  ScanPacer pacer = NoPump();
  const std::optional<BranchHit> first = FindNextBranch(table, 1, pacer);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->index, 9u);
  EXPECT_EQ(first->stop, BranchStop::kElseIf);
  const std::optional<BranchHit> second = FindNextBranch(table, 10, pacer);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->index, 10u);
  EXPECT_EQ(second->stop, BranchStop::kElse);
  EXPECT_EQ(FindBlockEnd(table, 1, pacer), 11u);
  EXPECT_EQ(FindBlockEnd(table, 4, pacer), 5u);
  EXPECT_EQ(FindBlockEnd(table, 12, pacer), std::nullopt);
}

TEST(BlockScanTest, LoopMatchingPassesOverNestedLoops) {
  const script::StatementTable table = TableOf({
      u"While",     // 0
      u"Repeat",    // 1
      u"While",     // 2
      u"-Wend",     // 3
      u"Wend",      // 4
      u"Break",     // 5
      u"Until",     // 6
      u"For Each",  // 7
      u"Next",      // 8
      u"Continue",  // 9
      u"Wend",      // 10
  });
  ScanPacer pacer = NoPump();
  EXPECT_EQ(FindLoopCloser(table, 0, kLoopWhile, pacer), 10u);
  EXPECT_EQ(FindLoopCloser(table, 2, kLoopWhile, pacer), 4u);
  EXPECT_EQ(FindLoopCloser(table, 5, kLoopRepeat, pacer), 6u);
  EXPECT_EQ(FindLoopCloser(table, 9, kLoopWhile, pacer), 10u);
  EXPECT_EQ(FindLoopHead(table, 10, kLoopWhile, pacer), 0u);
  EXPECT_EQ(FindLoopHead(table, 9, kLoopWhile, pacer), 0u);
  EXPECT_EQ(FindLoopHead(table, 5, kLoopRepeat, pacer), 1u);
  EXPECT_EQ(FindLoopHead(table, 8, kLoopForEach, pacer), 7u);
  EXPECT_EQ(FindLoopHead(table, 5, kLoopForEach, pacer), std::nullopt);
  EXPECT_EQ(FindLoopCloser(table, 10, kLoopWhile, pacer), std::nullopt);
}

TEST(BlockScanTest, LongScansPumpMessagesEvery313Statements) {
  script::StatementTable table;
  table.commands.Append(u"While");
  for (int i = 0; i < 1000; ++i) table.commands.Append(u"Comment");
  table.commands.Append(u"Wend");
  int pumps = 0;
  ScanPacer pacer([&pumps] { ++pumps; });
  EXPECT_EQ(FindLoopCloser(table, 0, kLoopWhile, pacer), 1001u);
  EXPECT_EQ(pumps, 3);
  EXPECT_EQ(FindLoopHead(table, 1001, kLoopWhile, pacer), 0u);
  EXPECT_EQ(pumps, 6);
}

}  // namespace
}  // namespace velkor::interpreter
