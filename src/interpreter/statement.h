// What a command branch receives: the current statement, its parameters in the three
// access forms, and the run it belongs to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor::interpreter {

class Interpreter;

class Statement {
 public:
  Statement(Interpreter& run, size_t index);

  Interpreter& run() const { return run_; }
  size_t index() const { return index_; }
  std::u16string_view command() const { return command_; }

  // Parameter n (1-based) as stored.
  std::u16string Param(int32_t n) const;
  // As stored, or its translation when a language is applied and the command
  // translates that parameter.
  std::u16string Localized(int32_t n) const;
  // As stored, variable references expanded.
  std::u16string Expanded(int32_t n) const;
  // Translated first, then expanded.
  std::u16string LocalizedExpanded(int32_t n) const;

  // The command's writer tag: its name followed by " Action".
  std::u16string WriterTag() const;
  // Writes a result to the variable that parameter text `variable` names (surrounding
  // dollar signs stripped); a missing variable is first defined, upper-cased and empty.
  // The command's writer tag unless `tag` is given.
  void SetResult(std::u16string_view variable, std::u16string_view value,
                 std::u16string_view tag = {}) const;

 private:
  Interpreter& run_;
  size_t index_;
  std::u16string_view command_;
};

// A variable named by a parameter: "$NAME$" becomes NAME; anything else stays.
std::u16string VariableNameOf(std::u16string_view parameter);

}  // namespace velkor::interpreter
