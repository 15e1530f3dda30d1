// Passes 2 and 3 of the script check: blocks open and close in the right order, and
// every block is closed.
#include <array>
#include <cstdint>
#include <vector>

#include "core/case_mapping.h"
#include "script/check_passes.h"

namespace velkor::script {
namespace {

enum Family : size_t { kConditional, kWhile, kRepeat, kForEach, kFamilyCount };

struct FamilyText {
  std::u16string_view closed_outside_other_blocks;
  std::u16string_view closed_outside_own_block;
  std::u16string_view too_few_closings;
  std::u16string_view too_many_closings;
};

constexpr std::array<FamilyText, kFamilyCount> kTexts = {{
    {u"IF conditional closed outside of LOOP scope",
     u"IF conditional closed outside of IF conditional scope", u"Insufficient END statements",
     u"Too many END statements"},
    {u"WHILE loop closed outside of CONDITIONAL or REPEAT or FOR EACH loop scope",
     u"WHILE loop closed outside of WHILE loop scope", u"Insufficient WEND statements",
     u"Too many WEND statements"},
    {u"REPEAT loop closed outside of CONDITIONAL or WHILE or FOR EACH loop scope",
     u"REPEAT loop closed outside of REPEAT loop scope", u"Insufficient UNTIL statements",
     u"Too many UNTIL statements"},
    {u"FOR EACH loop closed outside of CONDITIONAL or REPEAT or WHILE loop scope",
     u"FOR EACH loop closed outside of FOR EACH loop scope", u"Insufficient NEXT statements",
     u"Too many NEXT statements"},
}};

using Depths = std::array<int64_t, kFamilyCount>;

class BlockWalker {
 public:
  // The failure message of the statement, if it breaks the structure.
  std::optional<std::u16string> Visit(const ScriptTables& tables, size_t index) {
    const std::u16string_view command = tables.statements().Command(index);
    if (command == u"If") {
      wizard_loop_ = false;
      Open(kConditional);
    } else if (command == u"Wizard Loop") {
      ++opened_[kConditional];
      wizard_loop_ = true;
    } else if (command == u"End") {
      if (!wizard_loop_) return Close(kConditional);
      ++closed_[kConditional];
    } else if (command == u"Break" || command == u"Continue") {
      if (!AnyLoopOpen()) return std::u16string(command) + u" not allowed outside of LOOP scope";
    } else if (command == u"While" || command == u"Repeat") {
      Open(command == u"While" ? kWhile : kRepeat);
    } else if (command == u"Wend" || command == u"Until") {
      return Close(command == u"Wend" ? kWhile : kRepeat);
    } else if (command == u"For Each") {
      return OpenForEach(tables.StatementParam(index, 1));
    } else if (command == u"Next") {
      return CloseForEach();
    }
    return std::nullopt;
  }

  CheckFailure Counts() const {
    for (size_t family = 0; family < kFamilyCount; ++family) {
      if (closed_[family] < opened_[family]) {
        return CheckResult{kCheckEndOfScript, std::u16string(kTexts[family].too_few_closings)};
      }
      if (closed_[family] > opened_[family]) {
        return CheckResult{kCheckEndOfScript, std::u16string(kTexts[family].too_many_closings)};
      }
    }
    return std::nullopt;
  }

 private:
  void Open(Family family) {
    ++opened_[family];
    ++depth_[family];
    open_blocks_[family].push_back(depth_);
  }

  // The depths of the other families must be those recorded when the block opened.
  std::optional<std::u16string> Close(Family family) {
    ++closed_[family];
    --depth_[family];
    std::vector<Depths>& open = open_blocks_[family];
    if (open.empty()) return std::u16string(kTexts[family].closed_outside_own_block);
    const Depths recorded = open.back();
    open.pop_back();
    for (size_t other = 0; other < kFamilyCount; ++other) {
      if (other != family && recorded[other] != depth_[other]) {
        return std::u16string(kTexts[family].closed_outside_other_blocks);
      }
    }
    return std::nullopt;
  }

  std::optional<std::u16string> OpenForEach(const std::u16string& variable) {
    for (const std::u16string& open : loop_variables_) {
      if (core::EqualIgnoreCase(open, variable)) {
        return u"FOR EACH variable re-used inside nested FOR EACH loop";
      }
    }
    loop_variables_.push_back(variable);
    Open(kForEach);
    return std::nullopt;
  }

  std::optional<std::u16string> CloseForEach() {
    std::optional<std::u16string> failure = Close(kForEach);
    if (!failure && !loop_variables_.empty()) loop_variables_.pop_back();
    return failure;
  }

  bool AnyLoopOpen() const {
    return opened_[kWhile] != closed_[kWhile] || opened_[kRepeat] != closed_[kRepeat] ||
           opened_[kForEach] != closed_[kForEach];
  }

  Depths opened_{};
  Depths closed_{};
  Depths depth_{};
  std::array<std::vector<Depths>, kFamilyCount> open_blocks_;
  bool wizard_loop_ = false;
  std::vector<std::u16string> loop_variables_;
};

}  // namespace

CheckFailure CheckBlockStructure(const ScriptTables& tables) {
  BlockWalker walker;
  const StatementTable& statements = tables.statements();
  for (size_t i = 0; i < statements.size(); ++i) {
    if (statements.IsDisabled(i)) continue;
    if (std::optional<std::u16string> failure = walker.Visit(tables, i)) {
      return FailAt(i, std::move(*failure));
    }
  }
  return walker.Counts();
}

}  // namespace velkor::script
