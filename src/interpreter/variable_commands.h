// The parts of the variable commands that read their parameters' own syntax, apart
// from the statement.
#pragma once

#include <string>
#include <string_view>

namespace velkor::interpreter {

// Parameter 1 of "Set Variable": the name, then optionally the marker and the persist
// flag, which is on only when the text after the marker is exactly "TRUE".
inline constexpr std::u16string_view kPersistMarker = u"$KEVO$KEVO$";

struct SetVariableTarget {
  std::u16string name;
  bool persist = false;
  bool operator==(const SetVariableTarget&) const = default;
};

SetVariableTarget ReadSetVariableTarget(std::u16string_view parameter);

// The translation key under which the build tool files the text of a "Localization
// Variable" statement for the variable parameter (as written).
std::u16string LocalizationKey(std::u16string_view variable_parameter);

}  // namespace velkor::interpreter
