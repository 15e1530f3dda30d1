#include "interpreter/block_scan.h"

#include "interpreter/control_flow.h"
#include "interpreter/interpreter.h"

namespace velkor::interpreter {
namespace {

bool IsBlockOpener(std::u16string_view command) {
  return command == u"If" || command == u"Wizard Loop";
}

bool IsLoopHead(std::u16string_view command) {
  return command == kLoopWhile || command == kLoopRepeat || command == kLoopForEach;
}

bool IsLoopCloser(std::u16string_view command) {
  return command == u"Wend" || command == u"Until" || command == u"Next";
}

std::u16string_view CloserOf(std::u16string_view kind) {
  if (kind == kLoopWhile) return u"Wend";
  if (kind == kLoopRepeat) return u"Until";
  return u"Next";
}

// Walks the block the scan starts in; `stops_at_separators` also stops at its "Else"
// and "Else If".
std::optional<BranchHit> ScanBlock(const script::StatementTable& statements, size_t from,
                                   bool stops_at_separators, ScanPacer& pacer) {
  int64_t depth = 0;
  for (size_t i = from; i < statements.size(); ++i, pacer.Step()) {
    if (statements.IsDisabled(i)) continue;
    const std::u16string_view command = statements.Command(i);
    if (IsBlockOpener(command)) {
      ++depth;
    } else if (command == u"End") {
      if (depth == 0) return BranchHit{i, BranchStop::kEnd};
      --depth;
    } else if (depth == 0 && stops_at_separators) {
      if (command == u"Else") return BranchHit{i, BranchStop::kElse};
      if (command == u"Else If") return BranchHit{i, BranchStop::kElseIf};
    }
  }
  return std::nullopt;
}

}  // namespace

void ScanPacer::Step() {
  if (++steps_ % kStepsPerPump == 0 && pump_) pump_();
}

std::optional<BranchHit> FindNextBranch(const script::StatementTable& statements, size_t from,
                                        ScanPacer& pacer) {
  return ScanBlock(statements, from, true, pacer);
}

std::optional<size_t> FindBlockEnd(const script::StatementTable& statements, size_t from,
                                   ScanPacer& pacer) {
  const std::optional<BranchHit> hit = ScanBlock(statements, from, false, pacer);
  if (!hit) return std::nullopt;
  return hit->index;
}

// A single depth over all loop kinds suffices: the script check proved that loops of
// different kinds nest properly.
std::optional<size_t> FindLoopCloser(const script::StatementTable& statements, size_t from,
                                     std::u16string_view kind, ScanPacer& pacer) {
  const std::u16string_view closer = CloserOf(kind);
  int64_t depth = 0;
  for (size_t i = from + 1; i < statements.size(); ++i, pacer.Step()) {
    if (statements.IsDisabled(i)) continue;
    const std::u16string_view command = statements.Command(i);
    if (IsLoopHead(command)) {
      ++depth;
    } else if (IsLoopCloser(command)) {
      if (depth > 0) {
        --depth;
      } else if (command == closer) {
        return i;
      }
    }
  }
  return std::nullopt;
}

std::optional<size_t> FindLoopHead(const script::StatementTable& statements, size_t from,
                                   std::u16string_view kind, ScanPacer& pacer) {
  int64_t depth = 0;
  for (size_t i = from; i-- > 0; pacer.Step()) {
    if (statements.IsDisabled(i)) continue;
    const std::u16string_view command = statements.Command(i);
    if (IsLoopCloser(command)) {
      ++depth;
    } else if (IsLoopHead(command)) {
      if (depth > 0) {
        --depth;
      } else if (command == kind) {
        return i;
      }
    }
  }
  return std::nullopt;
}

void RunPendingSkip(Interpreter& run) {
  BlockState& block = run.block();
  const bool to_next_branch = block.skip_to_next_branch;
  const bool to_end = block.skip_to_end;
  block.skip_to_next_branch = false;
  block.skip_to_end = false;
  if (!to_next_branch && !to_end) return;

  const script::StatementTable& statements = run.statements();
  ScanPacer pacer([&run] { run.PumpMessages(); });
  const std::optional<BranchHit> hit =
      ScanBlock(statements, run.cursor(), /*stops_at_separators=*/!to_end, pacer);
  if (!hit) {
    run.set_cursor(statements.size());
    return;
  }
  switch (hit->stop) {
    case BranchStop::kElse:
      run.set_cursor(hit->index + 1);
      break;
    case BranchStop::kElseIf:
      block.landed_on_else_if = true;
      run.set_cursor(hit->index);
      break;
    case BranchStop::kEnd:
      run.set_cursor(hit->index);
      break;
  }
}

}  // namespace velkor::interpreter
