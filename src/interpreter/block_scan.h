// The scans that move the statement cursor over blocks: the pending branch skips of
// conditional blocks and the matching of loop heads and closers. Disabled statements
// are invisible to every scan. Main thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "script/script_tables.h"

namespace velkor::interpreter {

// Long scans keep the user interface alive: the pump runs after every 313 statements
// stepped.
class ScanPacer {
 public:
  explicit ScanPacer(std::function<void()> pump) : pump_(std::move(pump)) {}
  void Step();

 private:
  static constexpr size_t kStepsPerPump = 313;
  std::function<void()> pump_;
  size_t steps_ = 0;
};

enum class BranchStop { kElse, kElseIf, kEnd };

struct BranchHit {
  size_t index = 0;
  BranchStop stop = BranchStop::kEnd;
};

// From `from` on (inclusive): the first "Else", "Else If" or "End" of the block the scan
// starts in, passing over nested "If" blocks and wizard loops.
std::optional<BranchHit> FindNextBranch(const script::StatementTable& statements, size_t from,
                                        ScanPacer& pacer);
// From `from` on (inclusive): the "End" of the block the scan starts in.
std::optional<size_t> FindBlockEnd(const script::StatementTable& statements, size_t from,
                                   ScanPacer& pacer);

// The closer ("Wend", "Until", "Next") of the loop kind `kind` ("While", "Repeat",
// "For Each") after `from`, passing over whole nested loops.
std::optional<size_t> FindLoopCloser(const script::StatementTable& statements, size_t from,
                                     std::u16string_view kind, ScanPacer& pacer);
// The head of the loop kind `kind` before `from`, passing over whole nested loops.
std::optional<size_t> FindLoopHead(const script::StatementTable& statements, size_t from,
                                   std::u16string_view kind, ScanPacer& pacer);

}  // namespace velkor::interpreter
