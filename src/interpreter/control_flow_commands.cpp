// Conditional blocks and loops: "If", "Else If", "Else", "End", "While"/"Wend",
// "Repeat"/"Until", "For Each"/"Next", "Break" and "Continue".
//
// A branch that ends a conditional branch only sets a pending skip; the main loop
// carries it out before the next fetch. Loops jump at once. The loop stack holds one
// entry per loop whose body is running: every way out of a body ("Wend", a true "Until",
// the end of a For Each list, "Break", "Continue" to a "While") pops it, and no way back
// into a body pushes it twice.
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "interpreter/block_scan.h"
#include "interpreter/command_table.h"
#include "interpreter/condition.h"
#include "interpreter/for_each_items.h"
#include "interpreter/interpreter.h"
#include "interpreter/statement.h"

namespace velkor::interpreter {
namespace {

ScanPacer PacerOf(Interpreter& run) {
  return ScanPacer([&run] { run.PumpMessages(); });
}

// Execution continues after the closer; past the end of the script when there is none.
void ContinueAfter(Interpreter& run, std::optional<size_t> closer) {
  run.set_cursor(closer ? *closer + 1 : run.statements().size());
}

std::optional<size_t> CloserOfLoop(const Statement& statement, std::u16string_view kind) {
  ScanPacer pacer = PacerOf(statement.run());
  return FindLoopCloser(statement.run().statements(), statement.index(), kind, pacer);
}

std::optional<size_t> HeadOfLoop(const Statement& statement, std::u16string_view kind) {
  ScanPacer pacer = PacerOf(statement.run());
  return FindLoopHead(statement.run().statements(), statement.index(), kind, pacer);
}

void PopLoop(LoopState& loops) {
  if (!loops.stack.empty()) loops.stack.pop_back();
}

// The For Each loop is over: its entry and its variable go away.
void DiscardForEach(Interpreter& run, std::vector<ForEachEntry>::iterator entry) {
  const std::u16string variable = std::move(entry->variable);
  run.loops().for_each.erase(entry);
  run.variables().RemoveVariable(variable);
}

void If(Statement& statement) {
  BlockState& block = statement.run().block();
  block.landed_on_else_if = false;
  if (!EvaluateCondition(statement)) block.skip_to_next_branch = true;
}

// Reached by a skip it is tested like "If"; reached from a branch that ran, the rest of
// the block is skipped.
void ElseIf(Statement& statement) {
  BlockState& block = statement.run().block();
  if (!block.landed_on_else_if) {
    block.skip_to_end = true;
    return;
  }
  block.landed_on_else_if = false;
  if (!EvaluateCondition(statement)) block.skip_to_next_branch = true;
}

// A skip to "Else" continues after it, so running "Else" means a branch ran before it.
void Else(Statement& statement) {
  BlockState& block = statement.run().block();
  if (block.landed_on_else_if) {
    block.landed_on_else_if = false;
    return;
  }
  block.skip_to_end = true;
}

void End(Statement& statement) {
  statement.run().block().landed_on_else_if = false;
}

void While(Statement& statement) {
  Interpreter& run = statement.run();
  if (EvaluateCondition(statement)) {
    run.loops().stack.emplace_back(kLoopWhile);
    return;
  }
  ContinueAfter(run, CloserOfLoop(statement, kLoopWhile));
}

// The "While" is tested again and pushes its entry again when true.
void Wend(Statement& statement) {
  Interpreter& run = statement.run();
  PopLoop(run.loops());
  if (const std::optional<size_t> head = HeadOfLoop(statement, kLoopWhile)) run.set_cursor(*head);
}

void Repeat(Statement& statement) {
  statement.run().loops().stack.emplace_back(kLoopRepeat);
}

// A false "Until" goes back to the first statement of the body, not to "Repeat", so
// that the loop's entry is pushed once however often the body runs.
void Until(Statement& statement) {
  Interpreter& run = statement.run();
  if (EvaluateCondition(statement)) {
    PopLoop(run.loops());
    return;
  }
  if (const std::optional<size_t> head = HeadOfLoop(statement, kLoopRepeat)) {
    run.set_cursor(*head + 1);
  }
}

std::vector<ForEachEntry>::iterator FindForEachEntry(LoopState& loops,
                                                     std::u16string_view variable) {
  for (auto entry = loops.for_each.end(); entry != loops.for_each.begin();) {
    --entry;
    if (core::EqualIgnoreCase(entry->variable, variable)) return entry;
  }
  return loops.for_each.end();
}

void ForEach(Statement& statement) {
  Interpreter& run = statement.run();
  LoopState& loops = run.loops();
  const std::u16string variable = VariableNameOf(statement.Param(1));
  auto entry = FindForEachEntry(loops, variable);
  if (entry == loops.for_each.end()) {
    loops.stack.emplace_back(kLoopForEach);
    loops.for_each.push_back({.variable = variable,
                              .remaining = statement.Expanded(3),
                              .separator = statement.Expanded(2)});
    entry = std::prev(loops.for_each.end());
  }
  const std::u16string_view item = TakeNextItem(*entry);
  if (!item.empty()) {
    run.variables().SetVariable(variable, item, statement.WriterTag());
    return;
  }
  ContinueAfter(run, CloserOfLoop(statement, kLoopForEach));
  PopLoop(loops);
  DiscardForEach(run, entry);
}

// The "For Each" takes the next item.
void Next(Statement& statement) {
  if (const std::optional<size_t> head = HeadOfLoop(statement, kLoopForEach)) {
    statement.run().set_cursor(*head);
  }
}

void Break(Statement& statement) {
  Interpreter& run = statement.run();
  LoopState& loops = run.loops();
  if (loops.stack.empty()) return;
  const std::u16string kind = loops.stack.back();
  ContinueAfter(run, CloserOfLoop(statement, kind));
  loops.stack.pop_back();
  if (kind == kLoopForEach && !loops.for_each.empty()) {
    DiscardForEach(run, std::prev(loops.for_each.end()));
  }
}

void Continue(Statement& statement) {
  Interpreter& run = statement.run();
  LoopState& loops = run.loops();
  if (loops.stack.empty()) return;
  const std::u16string kind = loops.stack.back();
  const std::optional<size_t> head = HeadOfLoop(statement, kind);
  if (!head) return;
  if (kind == kLoopWhile) {
    // As "Wend": the "While" is tested again and pushes its entry again.
    loops.stack.pop_back();
    run.set_cursor(*head);
  } else if (kind == kLoopRepeat) {
    run.set_cursor(*head + 1);
  } else {
    run.set_cursor(*head);
  }
}

}  // namespace

void AddControlFlowCommands(CommandTable& table) {
  table.Add(u"If", If);
  table.Add(u"Else If", ElseIf);
  table.Add(u"Else", Else);
  table.Add(u"End", End);
  table.Add(u"While", While);
  table.Add(u"Wend", Wend);
  table.Add(u"Repeat", Repeat);
  table.Add(u"Until", Until);
  table.Add(u"For Each", ForEach);
  table.Add(u"Next", Next);
  table.Add(u"Break", Break);
  table.Add(u"Continue", Continue);
}

}  // namespace velkor::interpreter
