// The variable operations every other subsystem uses, built on the store: writes that
// name their writer, the protection of values given on the command line, the list form
// handed to plug-ins and installer runs, and reading a variable through a reference.
//
// Threads: GetVariable, VariableExists, DefineVariable, SetVariable, RemoveVariable,
// ExpandVariables, ExpandVariablesQuoted and the ReadVariableReference pair may be
// called from any thread; each store access takes the store's lock on its own, so a
// test-then-write is not atomic as a whole. SetSilent may be called from any thread.
// SetCommandLineLists, ClearVariables, VariablesToText and VariablesFromText belong to
// the main thread: the lists are set during start-up before any worker runs, and the
// list operations run when no worker does.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "script/variable_manager.h"

namespace velkor::script {

// The writer tags that may overwrite values protected by the command line.
inline constexpr std::u16string_view kTagInjectOverride = u"Inject Override Command Line";
inline constexpr std::u16string_view kTagInjectOverrideEx = u"Inject Override Command Line Ex";
// What ReadVariableReferenceOrMarker yields for an undefined variable.
inline constexpr std::u16string_view kUndefinedMarker = u"$KEVONX$";

class Variables {
 public:
  // The store must outlive this object.
  explicit Variables(TVariableManager& store) : store_(store) {}
  Variables(const Variables&) = delete;
  Variables& operator=(const Variables&) = delete;

  TVariableManager& Store() const { return store_; }

  // Kept equal to the SILENT variable by the interpreter.
  bool Silent() const { return silent_.load(std::memory_order_relaxed); }
  void SetSilent(bool silent) { silent_.store(silent, std::memory_order_relaxed); }

  // The "=" and ":" lists of the command line: name, value, name, value, ...
  void SetCommandLineLists(std::vector<std::u16string> equals_list,
                           std::vector<std::u16string> colon_list);

  std::u16string GetVariable(std::u16string_view name) const;
  bool VariableExists(std::u16string_view name) const;

  // A value that is the variable's own reference ($NAME$, any case) is stored as the
  // empty text. Defines the name as given, or sets it when it already exists.
  void DefineVariable(std::u16string_view name, std::u16string_view value,
                      std::u16string_view writer_tag);
  // Upper-cases the name. Does nothing when the command line protects the name from
  // this writer: a name in the ":" list against every tag but kTagInjectOverrideEx; in
  // silent mode, a name in the "=" list against every tag but kTagInjectOverride.
  void SetVariable(std::u16string_view name, std::u16string_view value,
                   std::u16string_view writer_tag);
  void RemoveVariable(std::u16string_view name);
  void ClearVariables();

  // Every variable as comma text: name, value, name, value, ...
  std::u16string VariablesToText() const;
  // Adds the pairs of a comma text; an odd last item is ignored.
  void VariablesFromText(std::u16string_view text);

  std::u16string ExpandVariables(std::u16string_view text) const;
  std::u16string ExpandVariablesQuoted(std::u16string_view text) const;

  // The reference is NAME or $NAME$ (the signs are removed only when the text starts
  // with "$" and its only other "$" is its last character). The value expanded, or the
  // empty text (OrMarker: kUndefinedMarker) when the variable is not defined.
  std::u16string ReadVariableReference(std::u16string_view reference) const;
  std::u16string ReadVariableReferenceOrMarker(std::u16string_view reference) const;

 private:
  bool Protected(std::u16string_view upper_name, std::u16string_view writer_tag) const;

  TVariableManager& store_;
  std::atomic<bool> silent_{false};
  std::vector<std::u16string> equals_list_;
  std::vector<std::u16string> colon_list_;
};

}  // namespace velkor::script
