// Case-insensitive comparison and case conversion for the whole Basic Multilingual
// Plane. Every comparison of names, keys and list lines in the engine goes through
// these functions so that one mapping holds everywhere.
//
// The mapping comes from the system (CharLowerBuffW/CharUpperBuffW on Windows, the C
// library's wide-character mapping elsewhere), read once into a table on first use.
// Equality ignoring case is defined by lower-casing both sides, so that texts that
// compare equal always lower-case (and hash) alike. All functions are thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor::core {

char16_t LowerChar(char16_t c);
char16_t UpperChar(char16_t c);

std::u16string Lower(std::u16string_view text);
std::u16string Upper(std::u16string_view text);

bool EqualIgnoreCase(std::u16string_view a, std::u16string_view b);
// <0, 0 or >0 comparing the lower-cased code units.
int CompareIgnoreCase(std::u16string_view a, std::u16string_view b);
bool StartsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix);
bool EndsWithIgnoreCase(std::u16string_view text, std::u16string_view suffix);
// Position of the first match at or after `from`, or npos.
size_t FindIgnoreCase(std::u16string_view text, std::u16string_view needle, size_t from = 0);

}  // namespace velkor::core
