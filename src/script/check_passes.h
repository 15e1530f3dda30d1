// The passes of the script check (script_check.h), each in the file of its concern.
// Internal to the check; a pass reports its first failure, or nothing.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>

#include "script/script_check.h"
#include "script/script_tables.h"
#include "script/variables.h"

namespace velkor::script {

// In "Set Variable" parameter 1: name, marker, persist flag.
inline constexpr std::u16string_view kPersistMarker = u"$KEVO$KEVO$";

using CheckFailure = std::optional<CheckResult>;
// Upper-cased label names.
using LabelSet = std::unordered_set<std::u16string>;

inline CheckResult FailAt(size_t index, std::u16string message) {
  return CheckResult{static_cast<int32_t>(index), std::move(message)};
}

// Passes 2 and 3 (check_structure.cpp).
CheckFailure CheckBlockStructure(const ScriptTables& tables);
// Pass 6 (check_commands.cpp).
CheckFailure CheckCommands(ScriptTables& tables, Variables& variables, const LabelSet& labels);

}  // namespace velkor::script
